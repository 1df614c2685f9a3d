#pragma once

// The file-error cause (CFileException::Cause) for a POSIX errno value.
int CauseOfErrno(int error);
