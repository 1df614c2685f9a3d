// korvane-convert: converts one XA file into a WAV file from the command line.
#include <cstdio>
#include <cstring>
#include <string>

#include "audio/convert.h"
#include "platform/file_exception.h"

namespace {

enum ExitStatus {
    kConverted = 0,
    kConversionFailed = 1,
    kFileError = 2,
    kUsage = 64,  // as sysexits' EX_USAGE
};

constexpr char kUsageLine[] = "usage: korvane-convert INPUT.XA OUTPUT.WAV\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsageLine, stdout);
        std::fputs(
            "Converts an XA file into a 16-bit PCM WAV file, replacing OUTPUT if it exists.\n"
            "Exit status: 0 converted, 1 conversion failed, 2 file error, 64 wrong usage.\n",
            stdout);
        return kConverted;
    }
    if (argc != 3) {
        std::fputs(kUsageLine, stderr);
        return kUsage;
    }
    try {
        // The report is printed once the outcome is known, on the stream that suits it.
        std::string report;
        const bool converted =
            ConvertXaToWav(argv[1], argv[2], [&report](const std::string& text) { report = text; });
        std::fprintf(converted ? stdout : stderr, "%s\n", report.c_str());
        return converted ? kConverted : kConversionFailed;
    } catch (const CFileException& error) {
        std::fprintf(stderr, "%s\n", error.GetErrorMessage().c_str());
        return kFileError;
    }
}
