#pragma once

#include <functional>
#include <string>

// Shows a text to the user and returns once it has been dismissed.
using ReportFn = std::function<void(const std::string& text)>;

inline constexpr char kSuccessMessage[] = "Successfully decompressed!";
inline constexpr char kErrorMessage[] =
    "Error while decompressing!\n\nOR the XA file is corrupt\nOR one of the files can't be "
    "opened\nOR "
    "this program doesn't work";

// Converts the XA file at `inputPath` into a WAV file at `outputPath`, replacing
// any file there, and reports the outcome with exactly one text: kSuccessMessage
// (and returns true) or kErrorMessage (and returns false). A file error on an
// open file is not reported here: its CFileException leaves the conversion, and
// every file it opened is closed on the way out.
bool ConvertXaToWav(const std::string& inputPath, const std::string& outputPath,
                    const ReportFn& report);
