#pragma once

namespace pellucor::messages {

inline constexpr const char* kNoFilesAdded = "No files added.";
inline constexpr const char* kFolderDoesNotExist =
    "Folder does not exist. Please select another folder.";
inline constexpr const char* kDone = "Done.";
inline constexpr const char* kProcessing = "Processing: ";

inline constexpr const char* kWordMayBeOpen =
    "Word may be open. It is recommended that you close Word first. Use Ctrl+Alt+Del > Task "
    "Manager > WINWORD.EXE if necessary.\r\n\r\nWould you like to proceed anyway?";

inline constexpr const char* kIsProtected = " is protected. ";
inline constexpr const char* kRemoveProtection = "\r\n\r\nPlease remove read-only protection";

inline constexpr const char* kWordCannotStart =
    "Error 842001. A normal instance of Word could not be created.\r\n\r\n"
    "1. Please make sure Word is installed on this computer.\r\n\r\n"
    "2. Please open Word normally and make sure a blank document opens immediately without any "
    "interrupting window (such as an Word file recovery window).\r\n\r\n"
    "3. Please make sure that when you double-click on a DOC or DOCX file that Word opens "
    "normally without any interrupting messages.\r\n\r\n"
    "4. All versions of Word are supported by this software except for the rare Word Starter "
    "and Student editions.";

inline constexpr const char* kRunningWordName = "Microsoft Word";

} // namespace pellucor::messages
