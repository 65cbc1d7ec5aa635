#pragma once
// Names by which the window finds the maker's companion programs.

namespace filvex {

// Window class of the launcher Trelquin: a copy installed in its folder
// closes with it, and it is told when a build that it ordered has finished.
constexpr char kLauncherClass[] = "TVemkoTrelquin";

}  // namespace filvex
