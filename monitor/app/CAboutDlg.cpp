#include "monitor/app/CAboutDlg.h"

#include "monitor/resources/Templates.h"

namespace kelvo {

CAboutDlg::CAboutDlg(QWidget* parent) : Dialog(resources::AboutTemplate(), parent) {}

} // namespace kelvo
