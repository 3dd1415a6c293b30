// StartDirectory: the working directory when the program started, kept for the manual
// viewer (which looks there first). Empty when it could not be read or does not fit.
#pragma once

extern char StartDirectory[260];

// Reads the current directory into StartDirectory; called first thing at start.
void CaptureStartDirectory();
