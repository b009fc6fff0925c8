#include "monitor/app/CMoreSettingsDlg.h"
#include "platform/dialog/MessageBox.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <QAbstractButton>
#include <QComboBox>
#include <gtest/gtest.h>

namespace kelvo {
namespace {

using namespace moresettings;

// The dialog as a user meets it: fields by key, OK and Cancel by click.
class MoreSettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = dialog::SetMessageObserver(
            [this](const std::string&, const std::string& text) { messages.push_back(text); });
        settings.alarmHysteresis = 0.5;
        settings.mailSecurity = MailSecurity::Tls;
        settings.metricsListen = "127.0.0.1:9464";
        dialog.Initialise();
    }
    void TearDown() override { dialog::SetMessageObserver(previous); }

    // The field of the key.
    static int Field(const char* key) {
        const std::vector<ExtensionKey>& keys = ExtensionKeys();
        for (std::size_t index = 0; index < keys.size(); ++index) {
            if (keys[index].name == key) {
                return firstFieldId + static_cast<int>(index);
            }
        }
        return -1;
    }
    void Click(int id) { dialog.Item<QAbstractButton>(id)->click(); }

    ExtensionSettings settings;
    CMoreSettingsDlg dialog{settings};
    std::vector<std::string> messages;
    dialog::MessageObserver previous;
};

TEST_F(MoreSettingsDialogTest, ShowsTheSettingsAndTakesGoodValuesOnOk) {
    EXPECT_FALSE(dialog.IsDlgButtonChecked(Field("DesktopNotify")));
    EXPECT_EQ(dialog.GetDlgItemText(Field("AlarmHysteresis")), "0.50");
    EXPECT_EQ(dialog.ComboGetItemText(Field("MailSecurity"),
                                      dialog.ComboGetCurSel(Field("MailSecurity"))),
              "tls");
    EXPECT_EQ(dialog.GetDlgItemText(Field("MailPort")), "0");
    EXPECT_EQ(dialog.GetDlgItemText(Field("MetricsListen")), "127.0.0.1:9464");
    for (std::size_t index = 0; index < ExtensionKeys().size(); ++index) {
        EXPECT_EQ(dialog.GetDlgItemText(firstHelpId + static_cast<int>(index)),
                  ExtensionKeys()[index].help);
    }

    dialog.CheckDlgButton(Field("DesktopNotify"), true);
    dialog.SetDlgItemText(Field("AlarmCommand"), "\"/opt/my tools/alarm\" now");
    dialog.ComboSetCurSel(Field("MailSecurity"), 1);
    dialog.SetDlgItemText(Field("MailPort"), "2525");
    dialog.SetDlgItemText(Field("MetricsListen"), "0.0.0.0:9100");
    Click(okId);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(dialog.result(), dialog::idOk);
    EXPECT_TRUE(settings.desktopNotify);
    EXPECT_EQ(settings.alarmCommand, "\"/opt/my tools/alarm\" now");
    EXPECT_EQ(settings.mailSecurity, MailSecurity::StartTls);
    EXPECT_EQ(settings.mailPort, 2525);
    EXPECT_EQ(settings.alarmHysteresis, 0.5);
    EXPECT_EQ(settings.metricsListen, "0.0.0.0:9100");

    // Emptied, the field turns metrics off.
    CMoreSettingsDlg again{settings};
    again.Initialise();
    again.SetDlgItemText(Field("MetricsListen"), "");
    again.Item<QAbstractButton>(okId)->click();
    EXPECT_EQ(settings.metricsListen, "");
}

TEST_F(MoreSettingsDialogTest, BadValuesAreNamedAndNothingIsStored) {
    dialog.CheckDlgButton(Field("DesktopNotify"), true);
    dialog.SetDlgItemText(Field("AlarmHysteresis"), "abc");
    dialog.SetDlgItemText(Field("AlarmCommand"), "notify %f");
    dialog.SetDlgItemText(Field("MailCAFile"), "/nowhere/ca.pem");
    dialog.SetDlgItemText(Field("MetricsListen"), "localhost:9464");
    Click(okId);
    ASSERT_EQ(messages.size(), 1u);
    for (const char* key :
         {"AlarmHysteresis \"abc\"", "AlarmCommand \"notify %f\"", "MailCAFile \"/nowhere/ca.pem\"",
          "MetricsListen \"localhost:9464\": not a numeric IPv4 address"}) {
        EXPECT_NE(messages[0].find(key), std::string::npos) << messages[0];
    }
    EXPECT_NE(dialog.result(), dialog::idOk);
    EXPECT_FALSE(settings.desktopNotify);
    EXPECT_EQ(settings.alarmHysteresis, 0.5);
    EXPECT_EQ(settings.metricsListen, "127.0.0.1:9464");

    Click(cancelId);
    EXPECT_EQ(dialog.result(), dialog::idCancel);
    EXPECT_FALSE(settings.desktopNotify);
}

} // namespace
} // namespace kelvo
