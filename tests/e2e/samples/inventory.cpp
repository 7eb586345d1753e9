// Sample source for the end-to-end tests: ordinary C++ with findings for
// several check groups, fixes in this file and in its header, and notes.
#include <cstring>
#include <map>
#include <memory>

#include "widgets.h"

class Gadget : public Widget {
 public:
  Gadget() : Widget("gadget") {}
  virtual int Size() const { return 4; }
};

int CountLong(const Names& names) {
  int count = 0;
  for (Names::const_iterator it = names.begin(); it != names.end(); ++it) {
    if (it->size() > 3) count++;
  }
  return count;
}

Widget* Make(bool big) {
  if (big)
    return new Gadget();
  else
    return NULL;
}

void Copy(char* out, const char* in) {
  int unused = 0;
  memcpy(out, in, strlen(in));
}

int Sum(const std::map<int, int>& values) {
  int total = 0;
  for (std::map<int, int>::const_iterator it = values.begin(); it != values.end(); it++)
    total += it->second;
  return total;
}

std::shared_ptr<Widget> Shared() { return std::shared_ptr<Widget>(new Gadget()); }

int Divide(int a, int b) {
  int* p = 0;
  if (b == 0) return *p;
  return a / b;
}
