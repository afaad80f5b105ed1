// Finding the folder of images, sounds and music wherever the game was started from.
#pragma once

#include <string>

namespace Util {

// The first candidate that is a folder, with a trailing slash: `installed`, the installed data
// folder, when it is relative to `exe_dir` (the program sits in its installed place); "content/"
// in the working directory; beside the program's folder `exe_dir`, "<exe_dir>/content/" and then
// "<exe_dir>/../content/" (a build folder inside the source tree); then an absolute
// `installed`. When none is a folder, "content/", so that the load messages name the place a
// player would look first.
std::string find_content_dir(const std::string& exe_dir, const std::string& installed);

// The same, with the folder of the running program as SDL reports it.
std::string find_content_dir(const std::string& installed);

}  // namespace Util
