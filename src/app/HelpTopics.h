#pragma once
// Which help page describes which window, for F1: each window of the program
// has the page (and the place in it) that describes it; a window without one
// gets the contents page, which also lists the main window's menu.

#include <string>
#include <string_view>

namespace mr420 {

// The page of a window, named by its class without namespace
// ("MemoryDialog"), relative to the help folder of a language:
// "memory.html#read". The contents page "index.html" for any other name.
std::string helpTopicOfWindow(std::string_view windowClass);

// True when the class has a page of its own.
bool hasHelpTopic(std::string_view windowClass);

// A topic as a path beside the program, in the language of the help
// context (see HelpPages.h): ".../help/pl/memory.html#read".
std::string helpTopicPath(int context, const std::string& topic, const std::string& programDir);

}  // namespace mr420
