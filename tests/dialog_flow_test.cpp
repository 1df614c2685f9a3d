// The program's order of events, run on the scripted backend: pickers answered
// in advance, user actions played in turn, everything shown recorded.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "audio/convert.h"
#include "platform/afxwin.h"
#include "platform/scripted/script.h"
#include "res/resource.h"
#include "temp_dir.h"
#include "xa_files.h"

using scripted::Current;
using scripted::PickerAnswer;
using Events = std::vector<std::string>;

namespace {

constexpr char kModule[] = "C:\\Program Files\\Korvane\\Korvane.exe";

class DialogFlow : public testing::Test {
protected:
    void SetUp() override {
        scripted::Reset();
        AfxGetApp()->m_strAppName.clear();  // named anew by each start, as a fresh process would be
        WriteFileBytes(input, XaFile(WaveFormat(1), {0x0C, 0x1F}));
    }

    void Run(const char* module = kModule) { AfxWinMain(module); }

    // The events from the first picker on: icons and menus come before.
    Events EventsFrom(const std::string& first) const {
        const Events& all = Current().events;
        auto start = std::find(all.begin(), all.end(), first);
        return Events(start, all.end());
    }

    TempDir dir;
    std::string input = dir / "in.xa";
    std::string output = dir / "out.wav";
};

}  // namespace

TEST_F(DialogFlow, CancelledOpenPickerEndsBeforeTheDialogIsShown) {
    Current().pickers = {{false, ""}};
    Run();
    EXPECT_EQ(Current().events,
              (Events{"create dialog 102", "set big icon 128", "set small icon 128", "open picker",
                      "end dialog 102 with 2"}));
    EXPECT_TRUE(Current().messageBoxes.empty());
}

TEST_F(DialogFlow, CancelledSavePickerEndsBeforeTheDialogIsShown) {
    Current().pickers = {{true, input}, {false, ""}};
    Run();
    EXPECT_EQ(EventsFrom("open picker"),
              (Events{"open picker", "save picker", "end dialog 102 with 2"}));
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(DialogFlow, PickersAskForAnExistingXaFileAndAWavName) {
    Current().pickers = {{true, input}, {false, ""}};
    Run();
    ASSERT_EQ(Current().shownPickers.size(), 2u);
    const scripted::ShownPicker& open = Current().shownPickers[0];
    EXPECT_TRUE(open.open);
    EXPECT_EQ(open.initialName, "*.XA");
    EXPECT_EQ(open.defaultExtension, "");
    EXPECT_EQ(open.flags, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING);
    ASSERT_EQ(open.filters.size(), 1u);
    EXPECT_EQ(open.filters[0].name, "XA files (*.XA)");
    EXPECT_EQ(open.filters[0].pattern, "*.XA");
    EXPECT_EQ(open.ownerTemplate, IDD_KORVANE_DIALOG);
    const scripted::ShownPicker& save = Current().shownPickers[1];
    EXPECT_FALSE(save.open);
    EXPECT_EQ(save.initialName, "*.WAV");
    EXPECT_EQ(save.defaultExtension, "");
    EXPECT_EQ(save.flags,
              OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING);
    ASSERT_EQ(save.filters.size(), 1u);
    EXPECT_EQ(save.filters[0].name, "WAV files (*.WAV)");
    EXPECT_EQ(save.filters[0].pattern, "*.WAV");
}

TEST_F(DialogFlow, DecodeConvertsReportsAndEnds) {
    Current().pickers = {{true, input}, {true, output}};
    Current().actions = {scripted::Press(IDOK)};
    Run();
    EXPECT_EQ(EventsFrom("open picker"),
              (Events{"open picker", "save picker", "show dialog 102", "press 1",
                      "message box: Successfully decompressed!", "end dialog 102 with 1"}));
    ASSERT_EQ(Current().messageBoxes.size(), 1u);
    const scripted::ShownMessageBox& box = Current().messageBoxes[0];
    EXPECT_EQ(box.caption, "Korvane");
    EXPECT_EQ(box.type, MB_OK) << "the report shows no icon";
    EXPECT_EQ(box.ownerTemplate, IDD_KORVANE_DIALOG);
    EXPECT_EQ(Current().lastTexts[IDC_INPUT], input);
    EXPECT_EQ(Current().lastTexts[IDC_OUTPUT], output);
    EXPECT_EQ(ReadFileBytes(output), WavFile(WaveFormat(1), 4, {0x01, 0x00, 0xFF, 0xFF}));
}

TEST_F(DialogFlow, FailedConversionReportsTheErrorAndEnds) {
    WriteFileBytes(input, XaFile(WaveFormat(1), {0x5C, 0x11}));
    Current().pickers = {{true, input}, {true, output}};
    Current().actions = {scripted::Press(IDOK)};
    Run();
    ASSERT_EQ(Current().messageBoxes.size(), 1u);
    EXPECT_EQ(Current().messageBoxes[0].text, kErrorMessage);
    EXPECT_EQ(Current().messageBoxes[0].type, MB_OK);
    EXPECT_EQ(Current().events.back(), "end dialog 102 with 1");
}

TEST_F(DialogFlow, FileErrorLeavesTheDialogOpenAndDecodeRunsAnew) {
    // 4 GiB cannot be measured: the length query fails with a file error.
    WriteFileBytes(input, XaFile(WaveFormat(1), {}));
    GrowFile(input, 1ull << 32);
    Current().pickers = {{true, input}, {true, output}};
    Current().actions = {scripted::Press(IDOK),
                         [&](CDialog&) {
                             WriteFileBytes(input, XaFile(WaveFormat(1), {0x0C, 0x1F}));
                         },
                         scripted::Press(IDOK)};
    Run();
    ASSERT_EQ(Current().messageBoxes.size(), 2u);
    const scripted::ShownMessageBox& error = Current().messageBoxes[0];
    EXPECT_EQ(error.text, "Seek failed on an unnamed file");
    EXPECT_EQ(error.caption, "Korvane");
    EXPECT_EQ(error.type, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(Current().messageBoxes[1].text, kSuccessMessage);
    EXPECT_EQ(
        EventsFrom("show dialog 102"),
        (Events{"show dialog 102", "press 1", "message box: Seek failed on an unnamed file",
                "press 1", "message box: Successfully decompressed!", "end dialog 102 with 1"}));
}

TEST_F(DialogFlow, CancelEndsWithoutConverting) {
    Current().pickers = {{true, input}, {true, output}};
    Current().actions = {scripted::Press(IDCANCEL)};
    Run();
    EXPECT_EQ(Current().events.back(), "end dialog 102 with 2");
    EXPECT_TRUE(Current().messageBoxes.empty());
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(DialogFlow, AboutBoxFromTheSystemMenuAnyNumberOfTimes) {
    Current().pickers = {{true, input}, {true, output}};
    Current().actions = {scripted::SysCommand(IDM_ABOUTBOX), scripted::Press(IDOK),
                         // The low four bits of a system command are the system's own.
                         scripted::SysCommand(IDM_ABOUTBOX | 0x3), scripted::Press(IDCANCEL),
                         scripted::SysCommand(SC_MOVE), scripted::Press(IDCANCEL)};
    Run();
    EXPECT_EQ(
        EventsFrom("show dialog 102"),
        (Events{"show dialog 102", "system command 0x10", "create dialog 100", "show dialog 100",
                "press 1", "end dialog 100 with 1", "system command 0x13", "create dialog 100",
                "show dialog 100", "press 2", "end dialog 100 with 2", "system command 0xF010",
                "default system command 0xF010", "press 2", "end dialog 102 with 2"}));
    const auto& menu = Current().systemMenus[IDD_KORVANE_DIALOG];
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu[0].flags, MF_SEPARATOR);
    EXPECT_EQ(menu[1].flags, MF_STRING);
    EXPECT_EQ(menu[1].id, static_cast<UINT_PTR>(IDM_ABOUTBOX));
    EXPECT_EQ(menu[1].text, "&About Korvane...");
    EXPECT_TRUE(Current().lastTexts.count(IDC_INPUT))
        << "the main dialog's controls outlive the About box";
}

TEST_F(DialogFlow, EmptyAboutStringAddsNoMenuItems) {
    Current().strings[IDS_ABOUTBOX] = "";
    Current().pickers = {{false, ""}};
    Run();
    EXPECT_TRUE(Current().systemMenus[IDD_KORVANE_DIALOG].empty());
}

TEST_F(DialogFlow, F1AsksForTheHelpFileAtTheDialogsContext) {
    Current().pickers = {{true, input}, {true, output}};
    Current().actions = {scripted::PressF1(), scripted::SysCommand(IDM_ABOUTBOX),
                         scripted::PressF1(), scripted::Press(IDOK), scripted::Press(IDCANCEL)};
    Run();
    ASSERT_EQ(Current().helpRequests.size(), 2u);
    EXPECT_EQ(Current().helpRequests[0].helpFile, "C:\\Program Files\\Korvane\\Korvane.HLP");
    EXPECT_EQ(Current().helpRequests[0].command, HELP_CONTEXT);
    EXPECT_EQ(Current().helpRequests[0].data, 0x20000u + IDD_KORVANE_DIALOG);
    EXPECT_EQ(Current().helpRequests[1].data, 0x20000u + IDD_ABOUTBOX);
    // No viewer started: each request says so, over the dialog that asked.
    ASSERT_EQ(Current().messageBoxes.size(), 2u);
    EXPECT_EQ(Current().messageBoxes[0].text, "Failed to launch help.");
    EXPECT_EQ(Current().messageBoxes[0].caption, "Korvane");
    EXPECT_EQ(Current().messageBoxes[0].ownerTemplate, IDD_KORVANE_DIALOG);
    EXPECT_EQ(Current().messageBoxes[1].ownerTemplate, IDD_ABOUTBOX);
}

TEST_F(DialogFlow, StartedHelpViewerShowsNoMessage) {
    Current().helpViewerStarts = true;
    Current().pickers = {{true, input}, {true, output}};
    Current().actions = {scripted::PressF1(), scripted::Press(IDCANCEL)};
    Run();
    EXPECT_EQ(Current().helpRequests.size(), 1u);
    EXPECT_TRUE(Current().messageBoxes.empty());
}

TEST_F(DialogFlow, TheApplicationIsNamedAfterItsExecutable) {
    const struct {
        const char* module;
        const char* name;
        const char* help;
    } cases[] = {
        {"C:\\Tools\\Conv.exe", "Conv", "C:\\Tools\\Conv.HLP"},
        {"/opt/korvane/bin/korvane", "korvane", "/opt/korvane/bin/korvane.HLP"},
        {"C:\\My.Tools\\Conv.v2.EXE", "Conv.v2", "C:\\My.Tools\\Conv.v2.HLP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.module);
        scripted::Reset();
        WriteFileBytes(input, XaFile(WaveFormat(1), {0x0C, 0x1F}));
        Current().pickers = {{true, input}, {true, output}};
        Current().actions = {scripted::PressF1(), scripted::Press(IDOK)};
        AfxGetApp()->m_strAppName.clear();  // named anew by each start, as a fresh process would be
        Run(c.module);
        ASSERT_EQ(Current().messageBoxes.size(), 2u);
        EXPECT_EQ(Current().messageBoxes[0].caption, c.name);
        EXPECT_EQ(Current().messageBoxes[1].caption, c.name);
        EXPECT_EQ(Current().helpRequests.at(0).helpFile, c.help);
    }
}

TEST_F(DialogFlow, MinimizedDialogCentresItsIcon) {
    const struct {
        int width, height, x, y;
    } cases[] = {{100, 50, 34, 9}, {32, 32, 0, 0}, {33, 31, 1, 0}, {20, 10, -5, -10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        scripted::Reset();
        Current().pickers = {{true, input}, {true, output}};
        Current().actions = {scripted::Minimize(c.width, c.height), scripted::Press(IDCANCEL)};
        Run();
        ASSERT_EQ(Current().drawnIcons.size(), 1u);
        EXPECT_EQ(Current().drawnIcons[0], std::make_pair(c.x, c.y));
        EXPECT_NE(std::find(Current().events.begin(), Current().events.end(), "send message 0x27"),
                  Current().events.end())
            << "the background behind the icon is erased first";
    }
}
