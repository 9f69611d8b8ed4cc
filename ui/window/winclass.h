// Window classes shared by every window of one name. A class lives as long
// as a window of its own does, so a plug-in that is unloaded leaves no class
// behind whose window procedure is gone.
#pragma once
#include <windows.h>

#include <string>

namespace satchel::ui {

class ClassUse {
public:
  ClassUse() = default;
  ~ClassUse();
  ClassUse(const ClassUse &) = delete;
  ClassUse &operator=(const ClassUse &) = delete;

  // Registers `name` with `proc` in this module unless a window of the name
  // already uses it, and counts this use.
  void Acquire(const std::string &name, WNDPROC proc);

private:
  std::string name_;
};

} // namespace satchel::ui
