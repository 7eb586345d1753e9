// In-source directives. zoci honours them in any encoding; they are found in
// comments, strings and code alike, and letter case does not matter.
//
// Braces are wanted only around statements of 3 lines or more in this file:
// ZOCI:option:readability-braces-around-statements.ShortStatementLines=3
#include <cstddef>

int* First(int* items, int count) {
  if (count == 0) return NULL;  // zoCI:skip  (nothing on this line is reported)
  // zoCI:skip+3:modernize-use-nullptr  (this line and the next two: no nullptr findings)
  int* none = NULL;
  if (items == NULL) return none;
  int* empty = 0;  // reported: the directive covers its own line and the next two only
  if (count < 0)
    return empty;
  return items;
}
