#include "monitor/pages/CSettingPage.h"

#include "monitor/resources/Templates.h"

namespace kelvo {
namespace {

constexpr int readIntervalListId = 1038;
constexpr int saveIntervalListId = 1034;

} // namespace

CSettingPage::CSettingPage() : Dialog(resources::SettingTemplate()) {}

bool CSettingPage::OnInitDialog() {
    ComboAddStrings(readIntervalListId, dialog::NumberTexts(1, 3600));
    ComboAddStrings(saveIntervalListId, dialog::NumberTexts(1, 10000));
    return true;
}

} // namespace kelvo
