#pragma once

#include <string>
#include <vector>

namespace kelvo::dialog {

// A rectangle in dialog units: x, y, width, height.
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

enum class ControlKind {
    GroupBox,
    Static,
    Icon,
    PushButton,
    DefaultPushButton,
    RadioButton,
    CheckBox,
    Edit,
    DropDownList,
    ComboBoxWithEdit,
    ListControl,
    TabControl,
    ProgressBar,
    ControlSite,
};

// Style bits a template may give a control; each kind reads the ones that apply.
enum ControlStyle : unsigned {
    StyleNone = 0,
    StyleCentred = 1u << 0,    // static text centred
    StyleGroupStart = 1u << 1, // radio button that starts a new group
    StyleReadOnly = 1u << 2,   // edit
    StylePassword = 1u << 3,   // edit
    StyleSorted = 1u << 4,     // drop-down list keeps its entries sorted
    StyleVScroll = 1u << 5,    // list with a vertical scroll bar
    StyleBorder = 1u << 6,     // progress bar with a border
};

// Controls without an id of their own (labels, frames) use this one, as the
// dialog resources of the original did; they cannot be reached by id.
inline constexpr int noControlId = -1;

struct ControlTemplate {
    int id = noControlId;
    ControlKind kind = ControlKind::Static;
    std::string caption;
    DialogRect rect;
    unsigned styles = StyleNone;
    bool visible = true;
    std::vector<std::string> items; // initial entries of a combo box
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int width = 0;
    int height = 0;
    std::string fontFamily;
    int fontPointSize = 9;
    bool child = false; // a page inside another window rather than a window of its own
    std::vector<ControlTemplate> controls;
};

} // namespace kelvo::dialog
