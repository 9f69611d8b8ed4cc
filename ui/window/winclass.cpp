#include "ui/window/winclass.h"

#include <map>
#include <mutex>

#include "base/module.h"

namespace satchel::ui {
namespace {
std::mutex classMutex;
std::map<std::string, int> classUsers;
} // namespace

void ClassUse::Acquire(const std::string &name, WNDPROC proc) {
  std::lock_guard<std::mutex> lock(classMutex);
  if (classUsers[name]++ == 0) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = ThisModule();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name.c_str();
    if (!RegisterClassExA(&wc) && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
      // Left behind by an earlier copy of this module: take it over.
      UnregisterClassA(name.c_str(), ThisModule());
      RegisterClassExA(&wc);
    }
  }
  name_ = name;
}

ClassUse::~ClassUse() {
  if (name_.empty())
    return;
  try {
    std::lock_guard<std::mutex> lock(classMutex);
    auto it = classUsers.find(name_);
    if (it != classUsers.end() && --it->second == 0) {
      classUsers.erase(it);
      UnregisterClassA(name_.c_str(), ThisModule());
    }
  } catch (...) {
    // A lock that cannot be taken leaves the class registered.
  }
}

} // namespace satchel::ui
