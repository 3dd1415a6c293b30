#include "platform/os/fileio.h"

std::string FileErrorText(const TFileError& error) {
    switch (error.Kind) {
        case feNone:
            return "No error";
        case feNoSuchFile:
            return "No such file";
        case feIsFolder:
            return "Is a folder";
        case feNotRegular:
            return "Not a regular file";
        case feAccessDenied:
            return "Permission denied";
        case feNoSpace:
            return "No space left on device";
        case feNoMemory:
            return "Not enough memory";
        case feCancelled:
            return "Cancelled";
        case feShortRead:
            return "The file ended before its length was read";
        case feCorrupt:
            return "Not a whole file";
        case feExists:
            return "The file exists";
        case feOther:
            break;
    }
    return SystemErrorText(error.SystemCode);
}

std::string DescribeFileError(const TFileError& error, const std::string& what,
                              const std::string& path) {
    if (error.Kind == feIsFolder) return path + " is a folder";
    if (error.Kind == feNotRegular) return path + " is not a regular file";
    return what + " " + path + ": " + FileErrorText(error);
}
