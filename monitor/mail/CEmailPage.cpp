#include "monitor/mail/CEmailPage.h"

#include "monitor/resources/Templates.h"

namespace kelvo {
namespace {

constexpr int intervalListId = 1045;
constexpr int rowListId = 1071;

} // namespace

CEmailPage::CEmailPage() : Dialog(resources::EmailTemplate()) {}

bool CEmailPage::OnInitDialog() {
    ComboAddStrings(intervalListId, dialog::NumberTexts(1, 3600));
    ComboAddStrings(rowListId, dialog::NumberTexts(1, 10));
    attempts = 0;
    successes = 0;
    return true;
}

} // namespace kelvo
