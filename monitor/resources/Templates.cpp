#include "monitor/resources/Templates.h"

namespace kelvo::resources {
namespace {

using dialog::ControlKind;
using dialog::ControlTemplate;
using dialog::DialogTemplate;
using dialog::noControlId;
using Kind = ControlKind;

constexpr unsigned centred = dialog::StyleCentred;
constexpr unsigned groupStart = dialog::StyleGroupStart;
constexpr unsigned readOnly = dialog::StyleReadOnly;
constexpr unsigned password = dialog::StylePassword;
constexpr unsigned sorted = dialog::StyleSorted;
constexpr unsigned vscroll = dialog::StyleVScroll;
constexpr unsigned border = dialog::StyleBorder;
constexpr bool hidden = false;

ControlTemplate Control(int id, Kind kind, const char* caption, int x, int y, int width, int height,
                        unsigned styles = 0, bool visible = true) {
    return ControlTemplate{id, kind, caption, {x, y, width, height}, styles, visible, {}};
}

DialogTemplate MakeAbout() {
    return DialogTemplate{aboutTemplateId,
                          "About HID Kelvo2",
                          235,
                          55,
                          "SimSun",
                          9,
                          false,
                          {
                              Control(noControlId, Kind::Icon, "", 11, 17, 21, 20),
                              Control(noControlId, Kind::Static, "HID Kelvo v11.5", 40, 10, 119, 8),
                              Control(noControlId, Kind::Static,
                                      "Kelvo thermometer monitor for Linux", 40, 25, 119, 8),
                              Control(1, Kind::DefaultPushButton, "OK", 178, 7, 50, 14, groupStart),
                              Control(1073, Kind::ProgressBar, "", 75, 24, 80, 14, border),
                          }};
}

DialogTemplate MakeMain() {
    return DialogTemplate{
        mainTemplateId,
        "HID Kelvo V11.5",
        501,
        348,
        "SimSun",
        9,
        false,
        {
            Control(1000, Kind::TabControl, "", 121, 0, 380, 335),
            Control(1006, Kind::GroupBox, "", 6, 1, 111, 104),
            Control(1007, Kind::Static, "TEMP:", 14, 16, 89, 12, centred),
            Control(1008, Kind::Static, "Max Temp:", 11, 42, 73, 13),
            Control(1009, Kind::Static, "Min Temp:", 11, 60, 73, 13),
            Control(1010, Kind::Static, "Avg Temp:", 11, 78, 73, 13),
            Control(1011, Kind::GroupBox, "Outter", 6, 111, 111, 104, 0, hidden),
            Control(1012, Kind::Static, "TEMP:", 13, 128, 93, 12, centred, hidden),
            Control(1013, Kind::Static, "Max Temp:", 10, 152, 73, 13, 0, hidden),
            Control(1014, Kind::Static, "Min Temp:", 10, 170, 73, 13, 0, hidden),
            Control(1015, Kind::Static, "Avg Temp:", 10, 188, 73, 13, 0, hidden),
            Control(1018, Kind::GroupBox, "", 6, 175, 111, 63),
            Control(1019, Kind::RadioButton, "Reading", 16, 197, 60, 12, groupStart),
            Control(1016, Kind::RadioButton, "Stop", 15, 219, 60, 12),
            Control(1020, Kind::GroupBox, "Device", 3, 271, 113, 46),
            Control(1017, Kind::DropDownList, "", 11, 293, 76, 53, sorted | vscroll),
            Control(1073, Kind::Static, "_", 15, 279, 84, 11, 0, hidden),
        }};
}

DialogTemplate MakeEmail() {
    return DialogTemplate{
        emailTemplateId,
        "",
        278,
        231,
        "System",
        10,
        true,
        {
            Control(1042, Kind::GroupBox, "Email", 4, 19, 129, 88),
            Control(1053, Kind::Static, "SMTP", 10, 32, 20, 8),
            Control(1043, Kind::Edit, "", 46, 28, 80, 12),
            Control(1054, Kind::Static, "Email", 10, 51, 30, 8),
            Control(1047, Kind::Edit, "", 46, 48, 80, 12),
            Control(1055, Kind::Static, "UserName:", 10, 71, 34, 8),
            Control(1048, Kind::Edit, "", 46, 68, 80, 12),
            Control(1056, Kind::Static, "Password", 10, 91, 36, 8),
            Control(1049, Kind::Edit, "", 46, 88, 80, 12, password),
            Control(1057, Kind::GroupBox, "Recive Email", 4, 111, 129, 37),
            Control(1050, Kind::Edit, "", 14, 128, 110, 12),
            Control(1059, Kind::GroupBox, "Send Condition", 4, 186, 129, 39),
            Control(1044, Kind::RadioButton, "Seariate", 18, 202, 43, 10, groupStart),
            Control(1051, Kind::RadioButton, "Alarm", 73, 202, 35, 10),
            Control(1060, Kind::GroupBox, "Mode", 169, 5, 102, 39),
            Control(1063, Kind::GroupBox, "Successed/Total", 169, 50, 102, 43),
            Control(1065, Kind::GroupBox, "Interval(minute)", 169, 95, 102, 43),
            Control(1045, Kind::DropDownList, "", 176, 110, 68, 56, vscroll),
            Control(1058, Kind::GroupBox, "Subject prefix", 4, 153, 129, 32),
            Control(1046, Kind::Edit, "", 8, 166, 119, 12),
            Control(1052, Kind::PushButton, "Apply", 200, 202, 46, 16),
            Control(1061, Kind::RadioButton, "Sending", 177, 21, 36, 14, groupStart),
            Control(1062, Kind::RadioButton, "Stop", 226, 20, 31, 15),
            Control(1064, Kind::Static, "_", 180, 65, 40, 11),
            Control(1066, Kind::GroupBox, "Alarm", 169, 144, 103, 44),
            Control(1067, Kind::Static, "Upper:", 176, 155, 23, 10),
            Control(1068, Kind::Static, "Lower:", 175, 171, 28, 13),
            Control(1069, Kind::Edit, "", 206, 154, 45, 12),
            Control(1070, Kind::Edit, "", 206, 169, 45, 12),
            Control(1071, Kind::DropDownList, "", 59, 5, 72, 59, vscroll),
            Control(1072, Kind::Static, "Config Table", 6, 6, 43, 9),
        }};
}

DialogTemplate MakeCurve() {
    return DialogTemplate{curveTemplateId,
                          "",
                          284,
                          243,
                          "System",
                          10,
                          true,
                          {
                              Control(1000, Kind::ControlSite, "", 0, 17, 284, 205),
                              Control(1001, Kind::ControlSite, "", 0, 2, 284, 17, 0, hidden),
                              Control(1002, Kind::CheckBox, "Load", 114, 226, 39, 9),
                              Control(1003, Kind::CheckBox, "Outter", 181, 228, 49, 8, 0, hidden),
                          }};
}

DialogTemplate MakeLog() {
    return DialogTemplate{
        logTemplateId,
        "",
        292,
        241,
        "System",
        10,
        true,
        {
            Control(1021, Kind::ListControl, "", 0, 0, 287, 193),
            Control(noControlId, Kind::GroupBox, "", 0, 192, 287, 43),
            Control(1007, Kind::GroupBox, "show table", 3, 200, 83, 34),
            Control(1008, Kind::RadioButton, "Recording", 14, 211, 47, 8, groupStart),
            Control(1009, Kind::RadioButton, "Stop", 14, 221, 42, 8),
            Control(1010, Kind::GroupBox, "Record file", 107, 199, 78, 34),
            Control(1011, Kind::RadioButton, "Recording", 117, 212, 50, 8, groupStart),
            Control(1012, Kind::RadioButton, "Stop", 117, 221, 49, 8),
            Control(1013, Kind::GroupBox, "Startup mode", 202, 199, 84, 34),
            Control(1014, Kind::RadioButton, "Auto log mode", 210, 211, 62, 8, groupStart),
            Control(1015, Kind::RadioButton, "Manual mode", 210, 222, 56, 8),
        }};
}

DialogTemplate MakeSetting() {
    DialogTemplate setting{
        settingTemplateId,
        "",
        279,
        244,
        "System",
        10,
        true,
        {
            Control(1022, Kind::GroupBox, "Unit", 0, 2, 101, 43),
            Control(1023, Kind::RadioButton, "Centigrade", 4, 17, 49, 10, groupStart),
            Control(1024, Kind::RadioButton, "Fahreheit", 54, 18, 43, 10),
            Control(noControlId, Kind::GroupBox, "Calibration", 0, 66, 100, 70),
            Control(1028, Kind::Static, "Temp:", 7, 93, 19, 12),
            Control(1029, Kind::Static, "Outter:", 6, 101, 19, 12, 0, hidden),
            Control(1025, Kind::Edit, "", 31, 93, 39, 12),
            Control(1026, Kind::Edit, "", 30, 102, 39, 12, 0, hidden),
            Control(1027, Kind::PushButton, "OK", 22, 117, 38, 13),
            Control(1030, Kind::GroupBox, "Save File", 123, 57, 148, 80),
            Control(1035, Kind::Static, "Save Directry", 139, 72, 50, 11),
            Control(1036, Kind::Static, "Save Items", 140, 106, 50, 11),
            Control(1037, Kind::Static, "Save Interval", 136, 123, 50, 11),
            Control(1031, Kind::Edit, "", 194, 72, 72, 12, readOnly),
            Control(1032, Kind::PushButton, "Browse..", 225, 89, 37, 11),
            Control(1033, Kind::ComboBoxWithEdit, "", 195, 105, 72, 40, vscroll),
            Control(1034, Kind::DropDownList, "", 195, 122, 72, 50, vscroll),
            Control(1039, Kind::GroupBox, "Reading interval", 155, 2, 113, 43),
            Control(1038, Kind::DropDownList, "", 167, 19, 73, 58, vscroll),
            Control(1004, Kind::PushButton, "Open", 175, 89, 37, 11),
            Control(1005, Kind::GroupBox, "Alarm sound", 3, 142, 268, 93),
            Control(1006, Kind::CheckBox, "Temperature", 7, 152, 52, 8),
            Control(1007, Kind::GroupBox, "", 4, 165, 263, 47),
            Control(1008, Kind::DropDownList, "", 47, 183, 59, 39, sorted | vscroll),
            Control(1011, Kind::Static, "Wave file", 11, 184, 33, 11),
            Control(1012, Kind::Static, "Upper", 114, 184, 25, 11),
            Control(1009, Kind::Edit, "", 142, 183, 35, 12),
            Control(1013, Kind::Static, "Lower", 186, 184, 25, 11),
            Control(1010, Kind::Edit, "", 222, 183, 35, 12),
            Control(1014, Kind::CheckBox, "Outter", 6, 191, 32, 8, 0, hidden),
            Control(1015, Kind::GroupBox, "", 5, 198, 263, 25, 0, hidden),
            Control(1016, Kind::DropDownList, "", 48, 207, 58, 47, sorted | vscroll, hidden),
            Control(1017, Kind::Static, "Wave file", 11, 208, 34, 11, 0, hidden),
            Control(1018, Kind::Static, "Upper", 116, 209, 25, 10, 0, hidden),
            Control(1019, Kind::Edit, "", 143, 207, 36, 12, 0, hidden),
            Control(1020, Kind::Static, "Lower", 187, 208, 25, 11, 0, hidden),
            Control(1021, Kind::Edit, "", 223, 208, 35, 12, 0, hidden),
            Control(1041, Kind::PushButton, "Apply", 204, 219, 37, 11),
        }};
    for (ControlTemplate& control : setting.controls) {
        if (control.id == 1033) {
            control.items = {"1000", "5000", "10000", "20000", "50000"};
        }
    }
    return setting;
}

} // namespace

const DialogTemplate& AboutTemplate() {
    static const DialogTemplate about = MakeAbout();
    return about;
}

const DialogTemplate& MainTemplate() {
    static const DialogTemplate main = MakeMain();
    return main;
}

const DialogTemplate& EmailTemplate() {
    static const DialogTemplate email = MakeEmail();
    return email;
}

const DialogTemplate& CurveTemplate() {
    static const DialogTemplate curve = MakeCurve();
    return curve;
}

const DialogTemplate& LogTemplate() {
    static const DialogTemplate log = MakeLog();
    return log;
}

const DialogTemplate& SettingTemplate() {
    static const DialogTemplate setting = MakeSetting();
    return setting;
}

} // namespace kelvo::resources
