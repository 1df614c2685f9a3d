// Drives the real Korvane.exe as a user would, one scenario after another, and
// checks what it shows and writes. Run by wine_gui.sh under Wine in a virtual X
// server; the screenshots it asks for are taken by that script.
//
//   korvane_driver --program KORVANE.EXE --work FOLDER [--artifacts FOLDER]
//                  [--only NAME]...
//
// FOLDER paths are Windows paths. The work folder may hold disk\full.wav, a file
// that reports a full disk on every write; the disk-full scenario needs it.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

// Before the system's headers, whose global `byte` the model's locals would shadow.
#include "xa_files.h"
#include "xa_model.h"

#include "automation.h"
#include "korvane_user.h"
#include "res/resource.h"

using namespace automation;
using korvane::kTimeout;
using korvane::User;

namespace {

struct Context {
    std::wstring program, work, artifacts;
    std::string scenario;  // the one running
    int attempt = 1;       // and which time
    std::wstring input;    // an XA file in the work folder
    Bytes expectedWav;     // what converting it must give

    std::wstring InWork(const std::wstring& name) const { return work + L"\\" + name; }
    korvane::Screenshot Shooter() const;
    // Each attempt's failure keeps its own screenshot.
    std::string FailureShot() const {
        return "failure-" + scenario + "-" + std::to_string(attempt);
    }
};

void Check(bool condition, const std::string& what) {
    if (!condition) throw Failure(what);
}

void CheckText(const std::wstring& actual, const std::wstring& expected, const std::string& what) {
    if (actual != expected)
        throw Failure(what + " is " + Describe(actual) + ", not " + Describe(expected));
}

Bytes ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::wstring& path, const Bytes& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The script watching the artifacts folder turns NAME.request into NAME.png.
korvane::Screenshot Context::Shooter() const {
    if (artifacts.empty()) return [](const std::string&) {};
    return [folder = artifacts](const std::string& name) {
        Pause(std::chrono::seconds(1));  // let the windows finish painting
        const std::wstring request = folder + L"\\" + Widen(name) + L".request";
        WriteBytes(request, {});
        for (int i = 0; i < 600 && ::GetFileAttributesW(request.c_str()) != INVALID_FILE_ATTRIBUTES;
             ++i)
            Pause(std::chrono::milliseconds(100));
        Check(::GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES,
              "no screenshot " + name + " was taken");
        Note("screenshot " + name + ".png");
    };
}

void ConvertAndFinish(User& user, HWND main, const std::wstring& caption,
                      const std::wstring& output, const Context& context) {
    Click(Item(main, IDOK));
    const korvane::MessageBoxSeen box = user.WaitForMessageBox(main);
    CheckText(box.text, L"Successfully decompressed!", "the report");
    CheckText(box.caption, caption, "the report's caption");
    Check(box.icon == nullptr, "the report shows an icon");
    user.Shoot("report-" + Narrow(caption));
    user.Dismiss(box);
    Check(user.Program().WaitForExit(kTimeout) == 0, "the program's exit code is not 0");
    Check(ReadBytes(output) == context.expectedWav, "the WAV file differs from the model's");
}

// Scenarios -----------------------------------------------------------------------

void PickDecodeAndEnd(const Context& context) {
    User user(context.program, context.work, context.Shooter(), context.FailureShot());
    const std::wstring output = context.InWork(L"out.wav");
    user.Pick(L"Open", context.input);
    user.Pick(L"Save As", output);
    const HWND main = user.MainDialog();
    CheckText(TextOf(Item(main, IDC_INPUT)), context.input, "the Input field");
    CheckText(TextOf(Item(main, IDC_OUTPUT)), output, "the Output field");
    user.Shoot("main-dialog");
    ConvertAndFinish(user, main, L"Korvane", output, context);
}

void CancelledOpenPickerEnds(const Context& context) {
    User user(context.program, context.work, context.Shooter(), context.FailureShot());
    user.CancelPicker(L"Open");
    Check(user.Program().WaitForExit(kTimeout) == 0, "the program's exit code is not 0");
}

// A full disk is a file error: reported with the stop icon over the dialog, which stays.
// Then the About box, twice, from the system menu.
void DiskFullKeepsTheDialogThenAboutTwice(const Context& context) {
    const std::wstring full = context.InWork(L"disk\\full.wav");
    User user(context.program, context.work, context.Shooter(), context.FailureShot());
    user.Pick(L"Open", context.input);
    user.Pick(L"Save As", full);
    const HWND main = user.MainDialog();
    Click(Item(main, IDOK));
    const korvane::MessageBoxSeen box = user.WaitForMessageBox(main);
    CheckText(box.text, L"Disk full while accessing " + full + L".", "the error");
    CheckText(box.caption, L"Korvane", "the error's caption");
    Check(box.icon != nullptr, "the error shows no icon");
    const int red = RedPixels(box.icon);
    Note("the error's icon has " + std::to_string(red) + " red pixels");
    Check(red >= 50, "the error's icon is not the red stop sign");
    user.Shoot("disk-full");
    user.Dismiss(box);
    Pause(std::chrono::seconds(2));
    Check(user.Program().Running() && ::IsWindowVisible(main),
          "the dialog did not stay open after the file error");

    for (int time = 1; time <= 2; ++time) {
        ::PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        const HWND about =
            WaitForWindow(user.Program(), {L"#32770", L"About Korvane", main}, kTimeout);
        const std::vector<std::wstring> texts = StaticTexts(about);
        Check(texts == std::vector<std::wstring>{L"Korvane Version 1.0",
                                                 L"Copyright (C) 2026 Korvane",
                                                 L"Credits go to the unknown "},
              "the About box's texts differ");
        Check(!::IsWindowEnabled(main), "the main dialog is not disabled under the About box");
        if (time == 1) {
            user.Shoot("about-box");
            Click(Item(about, IDOK));
        } else {
            ::PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);  // its close box
        }
        WaitUntilGone(about, kTimeout, "the About box");
    }
    Click(Item(main, IDCANCEL));
    Check(user.Program().WaitForExit(kTimeout) == 0, "the program's exit code is not 0");
}

void PressF1(HWND window) {
    ::SetForegroundWindow(window);
    Pause(std::chrono::seconds(1));
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = VK_F1;
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    Check(::SendInput(2, keys, sizeof(INPUT)) == 2, "F1 could not be pressed");
}

// The help viewer's process, if one runs.
DWORD HelpViewer() {
    DWORD processId = 0;
    if (const HWND viewer = ::FindWindowW(L"MS_WINHELP", nullptr))
        ::GetWindowThreadProcessId(viewer, &processId);
    return processId;
}

// Ends the help viewers that a help request left running.
void CloseHelpViewers() {
    while (const DWORD processId = HelpViewer()) {
        const HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
        if (!process) break;
        Note("ending the help viewer");
        ::TerminateProcess(process, 0);
        ::WaitForSingleObject(process, 10'000);
        ::CloseHandle(process);
    }
}

void ExpectHelpFailure(User& user, const korvane::MessageBoxSeen& box) {
    CheckText(box.text, L"Failed to launch help.", "the help failure");
    CheckText(box.caption, L"Conv", "the help failure's caption");
    Check(box.icon != nullptr, "the help failure shows no icon");
    user.Shoot("help-failed");
    user.Dismiss(box);
}

// F1 asks Wine's help viewer for Conv.HLP beside the program. Either the viewer
// does not come up in time and the program says so, or it comes up, finds no
// such file and asks what to do: No, and the program may still report failure.
void PressF1AndSeeWhatHelpDoes(User& user, HWND main) {
    PressF1(main);
    WindowQuery overMain;
    overMain.owner = main;
    const auto deadline = std::chrono::steady_clock::now() + korvane::kPickerTimeout;
    for (;;) {
        if (FindWindowOf(user.Program(), overMain)) {
            Note("F1: the help viewer did not come up");
            ExpectHelpFailure(user, user.WaitForMessageBox(main));
            break;
        }
        if (const DWORD viewer = HelpViewer()) {
            if (const HWND question = FindWindowOf(viewer, {})) {
                const std::vector<std::wstring> texts = StaticTexts(question);
                const std::wstring text = texts.empty() ? L"" : texts.back();
                Note("F1: the help viewer came up and says " + Describe(text));
                Check(text.find(L"\\Conv.HLP") != std::wstring::npos,
                      "the help viewer was not asked for Conv.HLP");
                user.Shoot("help-viewer");
                Click(Item(question, IDNO));
                WaitUntilGone(question, kTimeout, "the help viewer's question");
                // Told no, the viewer may answer the request with a failure.
                const auto grace = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                while (std::chrono::steady_clock::now() < grace) {
                    if (FindWindowOf(user.Program(), overMain)) {
                        ExpectHelpFailure(user, user.WaitForMessageBox(main));
                        break;
                    }
                    Pause(std::chrono::milliseconds(200));
                }
                break;
            }
        }
        Check(std::chrono::steady_clock::now() < deadline, "F1 brought up nothing");
        Pause(std::chrono::milliseconds(200));
    }
    CloseHelpViewers();
}

// A copy named Conv.exe is the application "Conv": its boxes say so, and its
// help file is Conv.HLP.
void RenamedCopyAndHelp(const Context& context) {
    const std::wstring copy = context.InWork(L"Conv.exe");
    Check(::CopyFileW(context.program.c_str(), copy.c_str(), FALSE), "cannot copy the program");
    const std::wstring output = context.InWork(L"conv.wav");
    User user(copy, context.work, context.Shooter(), context.FailureShot());
    user.Pick(L"Open", context.input);
    user.Pick(L"Save As", output);
    const HWND main = user.MainDialog();
    PressF1AndSeeWhatHelpDoes(user, main);
    ConvertAndFinish(user, main, L"Conv", output, context);
}

// A scenario whose picker never came up runs again with a new program, at most
// this many times in all. When a Wine session under emulation stalls its pickers,
// it tends to stall them for minutes: beyond a second try, a new session (the
// test's next run) does better.
constexpr int kAttempts = 2;

struct Scenario {
    const char* name;
    void (*run)(const Context&);
};

constexpr Scenario kScenarios[] = {
    {"decode", PickDecodeAndEnd},
    {"cancel-open", CancelledOpenPickerEnds},
    {"disk-full-and-about", DiskFullKeepsTheDialogThenAboutTwice},
    {"renamed-and-help", RenamedCopyAndHelp},
};

// A stereo stream of 300 blocks of random codes under valid headers.
Bytes RandomStream() {
    std::mt19937 random(11);
    Bytes stream(2 * 15 * 300);
    for (std::size_t i = 0; i < stream.size(); ++i)
        stream[i] = static_cast<std::uint8_t>(i / 2 % 15 == 0 ? (random() % 5) << 4 | random() % 16
                                                              : random());
    return stream;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: korvane_driver --program KORVANE.EXE --work FOLDER "
                 "[--artifacts FOLDER] [--only NAME]...\n");
    return 64;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Context context;
    std::vector<std::string> only;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i], value = argv[i + 1];
        if (option == L"--program")
            context.program = value;
        else if (option == L"--work")
            context.work = value;
        else if (option == L"--artifacts")
            context.artifacts = value;
        else if (option == L"--only")
            only.push_back(Narrow(value));
        else
            return Usage();
    }
    if (argc % 2 == 0 || context.program.empty() || context.work.empty()) return Usage();

    const Bytes stream = RandomStream();
    context.input = context.InWork(L"in.xa");
    WriteBytes(context.input, XaFile(WaveFormat(2), stream));
    const Bytes samples = ModelDecode(stream, 2).samples;
    context.expectedWav =
        WavFile(WaveFormat(2), static_cast<std::uint32_t>(samples.size()), samples);

    int passed = 0, failed = 0;
    for (const Scenario& scenario : kScenarios) {
        if (!only.empty() && std::find(only.begin(), only.end(), scenario.name) == only.end())
            continue;
        Note(std::string("[ RUN    ] ") + scenario.name);
        const auto start = std::chrono::steady_clock::now();
        std::string failure;
        context.scenario = scenario.name;
        for (int attempt = 1;; ++attempt) {
            context.attempt = attempt;
            try {
                scenario.run(context);
            } catch (const korvane::PickerNeverShown& error) {
                if (attempt < kAttempts) {
                    Note(std::string("[ RETRY  ] ") + scenario.name + ": " + error.what());
                    continue;
                }
                failure = error.what();
            } catch (const std::exception& error) {
                failure = error.what();
            }
            break;
        }
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count();
        if (failure.empty()) {
            ++passed;
            std::printf("[ PASSED ] %s (%lld s)\n", scenario.name, static_cast<long long>(seconds));
        } else {
            ++failed;
            std::printf("[ FAILED ] %s (%lld s): %s\n", scenario.name,
                        static_cast<long long>(seconds), failure.c_str());
        }
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
