#include "tests/uidriver/uidriver.h"

#include <shlobj.h>

#include "base/handle.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace satchel::uidriver {

namespace {

constexpr DWORD kPollMs = 10;

bool Visible(HWND hwnd) { return IsWindowVisible(hwnd) != FALSE; }

} // namespace

bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition())
      return true;
    if (GetTickCount() - start >= timeoutMs)
      return false;
    Sleep(kPollMs);
  }
}

HWND WaitForWindow(const std::string &caption, const std::string &cls, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        ForEachTopLevel([&](HWND w) -> BOOL {
          if (!IsOwnWindow(w) || !IsWindowVisible(w) || (!caption.empty() && WindowText(w) != caption) ||
              (!cls.empty() && ClassName(w) != cls))
            return TRUE;
          found = w;
          return FALSE;
        });
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool IsOwnWindow(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid == GetCurrentProcessId();
}

bool WaitGone(HWND hwnd, DWORD timeoutMs) {
  return WaitUntil([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }, timeoutMs);
}

std::string WindowText(HWND hwnd) {
  // WM_GETTEXT rather than GetWindowText, which does not read another
  // thread's edit boxes.
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kDefaultTimeout, &len))
    return {};
  std::string s(len + 1, '\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutA(hwnd, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()), SMTO_NORMAL, kDefaultTimeout,
                      &got);
  s.resize(got);
  return s;
}

std::string ClassName(HWND hwnd) {
  char buf[256] = "";
  GetClassNameA(hwnd, buf, sizeof buf);
  return buf;
}

ControlInfo Describe(HWND c) {
  ControlInfo i;
  i.hwnd = c;
  i.cls = ClassName(c);
  i.text = WindowText(c);
  i.id = GetDlgCtrlID(c);
  GetWindowRect(c, &i.rect);
  HWND top = GetAncestor(c, GA_ROOT);
  MapWindowPoints(nullptr, top, reinterpret_cast<POINT *>(&i.rect), 2);
  i.visible = Visible(c);
  i.enabled = IsWindowEnabled(c) != FALSE;
  if (i.cls == "Button") {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(c, BM_GETCHECK, 0, 0, SMTO_NORMAL, kDefaultTimeout, &state);
    i.checked = state == BST_CHECKED;
  }
  return i;
}

std::vector<ControlInfo> Controls(HWND top) {
  std::vector<HWND> handles;
  ForEachChild(top, [&](HWND c) -> BOOL {
    handles.push_back(c);
    return TRUE;
  });
  std::vector<ControlInfo> out;
  for (HWND c : handles)
    out.push_back(Describe(c));
  return out;
}

HWND FindControl(HWND top, const std::string &text, const std::string &cls) {
  for (const auto &c : Controls(top))
    if (c.text == text && (cls.empty() || c.cls == cls))
      return c.hwnd;
  throw std::runtime_error("no control \"" + text + "\" in \"" + WindowText(top) + "\"");
}

void Sync(HWND hwnd) {
  // Sent messages are handled in the order they arrive, so this returns once
  // everything sent before it was handled, or once a handler's nested modal
  // loop picked it up.
  DWORD_PTR r = 0;
  SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, kDefaultTimeout, &r);
}

bool Click(HWND control) {
  if (!IsWindow(control) || !Visible(control) || !IsWindowEnabled(control))
    return false;
  // Asynchronous: the click may open a modal box that this thread answers.
  SendNotifyMessageA(control, BM_CLICK, 0, 0);
  Sync(control);
  return true;
}

bool SetChecked(HWND control, bool checked) {
  if (Describe(control).checked == checked)
    return true;
  return Click(control);
}

void Type(HWND edit, const std::string &text) {
  DWORD_PTR r = 0;
  SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kDefaultTimeout, &r);
}

void PressKey(HWND top, UINT vk) {
  GUITHREADINFO gti{};
  gti.cbSize = sizeof gti;
  HWND target = top;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &gti) && gti.hwndFocus)
    target = gti.hwndFocus;
  UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  PostMessageA(target, WM_KEYDOWN, vk, 1 | (scan << 16));
  PostMessageA(target, WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30));
}

void CloseBox(HWND top) { PostMessageA(top, WM_CLOSE, 0, 0); }

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo m;
  m.hwnd = box;
  m.caption = WindowText(box);
  for (const auto &c : Controls(box)) {
    if (!c.visible)
      continue;
    if (c.cls == "Button") {
      m.buttons.push_back(c.text);
    } else if (c.cls == "Static") {
      if (GetWindowLongA(c.hwnd, GWL_STYLE) & SS_ICON) {
        m.hasIcon = m.hasIcon || SendMessageA(c.hwnd, STM_GETICON, 0, 0) != 0;
      } else if (!c.text.empty()) {
        m.text += (m.text.empty() ? "" : "\n") + c.text;
      }
    }
  }
  return m;
}

bool Answer(HWND box, const std::string &button) {
  for (const auto &c : Controls(box))
    if (c.cls == "Button" && c.text == button)
      return Click(c.hwnd);
  return false;
}

bool SaveWindowBitmap(HWND hwnd, const std::string &bmpPath) {
  RECT r;
  if (!GetWindowRect(hwnd, &r))
    return false;
  int w = r.right - r.left, h = r.bottom - r.top;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void *bits = nullptr;
  UniqueGdi bmp;
  BOOL ok = FALSE;
  {
    WindowDC screen;
    UniqueMemoryDC dc(CreateCompatibleDC(screen.get()));
    bmp.reset(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    Selection selected(dc.get(), bmp.get());
    // Wine's PrintWindow draws no children: paint now, then copy the screen.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sync(hwnd);
    ok = BitBlt(dc.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
    GdiFlush();
  }
  if (!ok)
    return false;
  DWORD stride = (DWORD(w) * 3 + 3) & ~3u, size = stride * DWORD(h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + size;
  UniqueFile f(CreateFileA(bmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD n;
  return f && WriteFile(f.get(), &fh, sizeof fh, &n, nullptr) &&
         WriteFile(f.get(), &bi.bmiHeader, sizeof bi.bmiHeader, &n, nullptr) &&
         WriteFile(f.get(), bits, size, &n, nullptr);
}

bool SaveShot(HWND hwnd, const std::string &folder, const std::string &name) {
  RECT c, w;
  if (!GetClientRect(hwnd, &c) || !GetWindowRect(hwnd, &w) || !SaveWindowBitmap(hwnd, folder + "\\" + name + ".bmp"))
    return false;
  FILE *f = std::fopen((folder + "\\" + name + ".size").c_str(), "w");
  if (!f)
    return false;
  bool ok = std::fprintf(f, "client %ld %ld\nwindow %ld %ld\n", c.right - c.left, c.bottom - c.top, w.right - w.left,
                         w.bottom - w.top) > 0;
  return std::fclose(f) == 0 && ok;
}

HDROP MakeDrop(const std::vector<std::string> &paths) {
  size_t bytes = sizeof(DROPFILES) + 1;
  for (const auto &p : paths)
    bytes += p.size() + 1;
  HGLOBAL mem = GlobalAlloc(GHND, bytes);
  if (!mem)
    throw std::runtime_error("no memory for a drop");
  auto *df = static_cast<DROPFILES *>(GlobalLock(mem));
  df->pFiles = sizeof(DROPFILES);
  df->fWide = FALSE;
  char *out = reinterpret_cast<char *>(df + 1);
  for (const auto &p : paths) {
    std::memcpy(out, p.c_str(), p.size() + 1);
    out += p.size() + 1;
  }
  *out = '\0';
  GlobalUnlock(mem);
  return static_cast<HDROP>(mem);
}

BoxWatcher::BoxWatcher(std::string caption, std::string button)
    : caption_(std::move(caption)), button_(std::move(button)), thread_([this] { Run(); }) {}

BoxWatcher::~BoxWatcher() { Stop(); }

std::vector<std::string> BoxWatcher::Texts() {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_;
}

SeenBox BoxWatcher::Result() {
  Stop();
  return {!texts_.empty(), texts_.empty() ? std::string() : texts_.front()};
}

SeenBox BoxWatcher::Wait(DWORD timeoutMs) {
  WaitUntil([&] { return !Texts().empty(); }, timeoutMs);
  return Result();
}

void BoxWatcher::Stop() {
  stop_ = true;
  if (thread_.joinable())
    thread_.join();
}

void BoxWatcher::Run() {
  while (!stop_) {
    if (HWND box = WaitForWindow(caption_, "", 0)) {
      std::string text = ReadMessageBox(box).text;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        texts_.push_back(text);
      }
      if (!Answer(box, button_))
        CloseBox(box);
      WaitGone(box);
    }
    Sleep(5);
  }
}

WindowCloser::WindowCloser()
    : thread_([this] {
        while (!stop_) {
          ForEachTopLevel([](HWND w) -> BOOL {
            if (IsOwnWindow(w) && IsWindowVisible(w))
              CloseBox(w);
            return TRUE;
          });
          Sleep(20);
        }
      }) {}

WindowCloser::~WindowCloser() {
  stop_ = true;
  thread_.join();
}

int RunShots(int argc, char **argv, const std::vector<Shot> &shots) {
  if (argc >= 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const Shot &s : shots)
      std::printf("%s\n", s.name);
    return 0;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--layouts") == 0) {
    for (const Shot &s : shots)
      if (s.layout)
        std::printf("%s %s\n", s.name, s.layout);
    return 0;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <out folder> [names...] | --list | --layouts\n", argv[0]);
    return 2;
  }
  int failed = 0;
  for (const Shot &s : shots) {
    bool wanted = argc == 2;
    for (int i = 2; i < argc; ++i)
      wanted = wanted || std::strcmp(argv[i], s.name) == 0;
    if (!wanted)
      continue;
    bool ok = false;
    try {
      ok = s.take(argv[1]);
    } catch (const std::exception &e) {
      std::fprintf(stderr, "%s: %s\n", s.name, e.what());
    }
    std::printf("%s: %s\n", s.name, ok ? "ok" : "FAILED");
    failed += !ok;
  }
  return failed ? 1 : 0;
}

Shot ModalShot(const char *name, const char *caption, const char *cls, std::function<void()> run, const char *layout) {
  return {name, layout, [=](const std::string &out) {
            auto running = RunOnThread(run);
            HWND w = WaitForWindow(caption, cls);
            // Let the window paint itself before it is captured.
            if (w)
              Sync(w);
            bool ok = w && SaveShot(w, out, name);
            if (w)
              CloseBox(w);
            running.get();
            return ok;
          }};
}

} // namespace satchel::uidriver
