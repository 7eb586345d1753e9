// Sample header for the end-to-end tests: a few things the checks find.
#pragma once

#include <string>
#include <vector>

typedef std::vector<std::string> Names;

class Widget {
 public:
  Widget(const std::string& name) : name_(name) {}
  virtual ~Widget() {}
  virtual int Size() const { return 0; }
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
};
