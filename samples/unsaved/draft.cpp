// A file open in an editor. On disk it is clean; the editor's unsaved text
// (draft.cpp.edited) adds a line that zoci inspects without saving it:
//   zoci inspect --stdin-buffer samples/unsaved/draft.cpp < samples/unsaved/draft.cpp.edited
#include <string>

std::string Greeting(bool formal) {
  return formal ? "Guten Tag" : "Grüß dich";
}
