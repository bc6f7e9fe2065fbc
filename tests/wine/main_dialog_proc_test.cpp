// MainDialogProc and the Win32 controls behind the dialog seam, on a real dialog made from the
// program's own template 100; only the serial device, the file chooser and the editor are
// fakes. Runs under Wine (it needs a display).
#include "app/main_dialog_controller.h"
#include "app/thread_job_runner.h"
#include "fake_serial_device.h"
#include "manual_clock.h"
#include "recording_message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontends/win32/main_dialog_proc.h"
#include "frontends/win32/win32_dialog_controls.h"

namespace zr640::platform {
namespace {

class AnsweringFileChooser final : public FileChooser {
public:
    bool ChooseFile(const FileChooserRequest&, std::string& chosen) override {
        chosen = answer;
        return true;
    }
    std::string answer;
};

class CountingEditor final : public EditorLauncher {
public:
    void OpenInEditor(const char* path) override { opened.emplace_back(path); }
    std::vector<std::string> opened;
};

std::string ItemText(HWND dialog, int id) {
    char text[300] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

class MainDialogProcTest : public ::testing::Test {
protected:
    void SetUp() override {
        BindMainDialog(&binding);
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100), nullptr,
                                    MainDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        list = GetDlgItem(dialog, 110);
    }
    void TearDown() override {
        if (IsWindow(dialog)) {
            DestroyWindow(dialog);
        }
        BindMainDialog(nullptr);
    }

    INT_PTR Command(int id, int notification = BN_CLICKED) {
        return MainDialogProc(dialog, WM_COMMAND, MAKEWPARAM(id, notification), 0);
    }

    zr640::testing::RecordingMessageBox messages;
    zr640::testing::ManualClock clock;
    zr640::testing::FakeSerialDevice device{&clock};
    AnsweringFileChooser chooser;
    CountingEditor editor;
    AppConfig config;
    Win32DialogControls controls;
    zr640::ThreadJobRunner jobs{
        [this] { PostMessageA(controls.Window(), kJobMessage, 0, 0); }};
    MainDialogController controller{config, {device, chooser, editor, clock, jobs}};
    MainDialogBinding binding{controller, controls, jobs};
    HWND dialog = nullptr;
    HWND list = nullptr;
};

TEST_F(MainDialogProcTest, InitialisationWritesIntoTheRealControls) {
    EXPECT_EQ(controls.Window(), dialog);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 2048);
    char entry[8] = {};
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(entry));
    EXPECT_STREQ(entry, " ");
    EXPECT_TRUE(device.isOpen);
}

TEST_F(MainDialogProcTest, HandledMessagesReturnTrueAndOthersFalse) {
    // The notification code in the high word does not matter.
    EXPECT_EQ(Command(102, 0x1234), TRUE);
    EXPECT_FALSE(controller.ReceiveEnabled());
    EXPECT_EQ(Command(102), TRUE);
    EXPECT_TRUE(controller.ReceiveEnabled());
    EXPECT_EQ(Command(1), TRUE);

    CheckDlgButton(dialog, 104, BST_CHECKED);
    EXPECT_EQ(MainDialogProc(dialog, WM_TIMER, 0, 0), TRUE);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 104), BST_UNCHECKED);
    EXPECT_EQ(ItemText(dialog, 101), "EOF     ");

    EXPECT_EQ(MainDialogProc(dialog, WM_PAINT, 0, 0), FALSE);
    EXPECT_EQ(MainDialogProc(dialog, WM_CLOSE, 0, 0), FALSE);
    EXPECT_EQ(MainDialogProc(dialog, WM_KEYDOWN, VK_ESCAPE, 0), FALSE);
}

TEST_F(MainDialogProcTest, ChosenPathShowsInTheFieldAndGoesToTheEditor) {
    chooser.answer = "C:\\flug\\waypoints\\w\xE4lder.wht";
    EXPECT_EQ(Command(118), TRUE);
    EXPECT_EQ(ItemText(dialog, 109), "C:\\flug\\waypoints\\w\xE4lder.wht");
    EXPECT_EQ(Command(119), TRUE);
    ASSERT_EQ(editor.opened.size(), 1u);
    EXPECT_EQ(editor.opened[0], chooser.answer);
}

TEST_F(MainDialogProcTest, CancelEndsTheDialogAndDestructionClosesThePort) {
    EXPECT_EQ(Command(2), TRUE);
    EXPECT_FALSE(IsWindowVisible(dialog));  // a modeless dialog ends by hiding
    EXPECT_TRUE(device.isOpen);

    DestroyWindow(dialog);

    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(device.CallCount("Close"), 1);
    EXPECT_EQ(controller.Port(), nullptr);
}

}  // namespace
}  // namespace zr640::platform
