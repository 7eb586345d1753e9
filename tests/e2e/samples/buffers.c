/* Sample C source for the end-to-end tests: string handling that the
   bugprone, cert and analyzer checks look at. */
#include <stdlib.h>
#include <string.h>

char *Duplicate(const char *text) {
  char *copy = malloc(strlen(text));
  memcpy(copy, text, strlen(text));
  return copy;
}

int Parse(const char *text) {
  int value = atoi(text);
  char *leak = malloc(16);
  if (value > 10) return value;
  free(leak);
  return 0;
}
