#include "monitor/pages/CLogPage.h"

#include "monitor/resources/Templates.h"
#include "platform/dialog/ListControl.h"

namespace kelvo {
namespace {
constexpr int tableId = 1021;
} // namespace

CLogPage::CLogPage() : Dialog(resources::LogTemplate()) {}

bool CLogPage::OnInitDialog() {
    InitList();
    return true;
}

void CLogPage::InitList() {
    auto* list = Item<dialog::ListControl>(tableId);
    list->DeleteAllItems();
    list->DeleteAllColumns();
    list->SetExtendedStyles(true, true);
    list->InsertColumn(0, QStringLiteral("NO"), Qt::AlignHCenter, 100);
    list->InsertColumn(1, QStringLiteral("DateTime"), Qt::AlignLeft, 180);
    list->InsertColumn(2, QStringLiteral("Temp"), Qt::AlignLeft, 130);
}

} // namespace kelvo
