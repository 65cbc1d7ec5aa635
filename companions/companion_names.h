#pragma once
// Names by which the window finds the maker's companion programs.

#include <string_view>

namespace filvex {

// Window class of the launcher Trelquin: a copy installed in its folder
// closes with it, and it is told when a build that it ordered has finished.
constexpr char kLauncherClass[] = "TVemkoTrelquin";
// The folder binder Brontal and the copy tool Pexwick: both take folders
// chosen in the result list, and both keep their binders in the same files.
constexpr char kBinderClass[] = "TVemkoBrontal";
constexpr char kCopyToolClass[] = "TVemkoPexwick";
constexpr char kBinderExe[] = "Brontal.exe";
constexpr char kCopyToolExe[] = "Pexwick.exe";

// True for the window class of one of the three companions, the only
// windows whose messages the main window obeys.
constexpr bool IsCompanionClass(std::string_view className) {
  return className == kLauncherClass || className == kBinderClass || className == kCopyToolClass;
}

}  // namespace filvex
