// A second project file: zoci inspect -p samples/project inspects every entry.
#include "config.h"

struct Shelf {
  virtual ~Shelf() {}
  virtual int Slots() const { return 4; }
};

struct WideShelf : Shelf {
  virtual int Slots() const { return 8; }
};
