// Lagerbestand: Größen, Preise und Grüße (inventory: sizes, prices, greetings).
// « Crème brûlée » costs 4,50 € — every column zoci prints after such text
// counts UTF-16 code units, as the editor does, not bytes.
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

struct Article {
  std::string name;  // z. B. "Müsli", "Café", "Smørbrød"
  double price;
};

class Shelf {
 public:
  virtual ~Shelf() {}
  virtual double Total() const { return 0; }
};

class Pantry : public Shelf {
 public:
  virtual double Total() const {
    double total = 0;
    for (std::vector<Article>::const_iterator it = articles_.begin(); it != articles_.end(); ++it)
      total += it->price;
    return total;
  }

 private:
  std::vector<Article> articles_;
};

const char* Label(bool big) { const char* größe = "Größe XL – 5 €"; return big ? größe : NULL; }

bool IsCafe(const char* name) {
  if (strcmp(name, "Café"))  // « ist es kein Café ? »
    return false;
  return true;
}
