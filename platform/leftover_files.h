// Temporaries a killed process left behind. A file written through
// OutputFile or CopyFile (file_io.h, files.h) is built in a temporary
// sibling that is removed or renamed when the writer ends normally; a
// process killed meanwhile leaves it in the folder, as large as it had
// grown, for ever.
#pragma once

#include <string>

namespace dt::platform {

// Removes from the folder `ansi_folder` every file named as those
// temporaries are named (temporary_names.h), whichever process made it.
// REQUIRES: no writer of this or another process is at work in the folder
// (the caller holds the folder's lock). A temporary that cannot be removed
// stays; a folder that cannot be read is left alone. Returns the number of
// files removed.
int RemoveLeftoverTemporaries(const std::string& ansi_folder);

}  // namespace dt::platform
