// The one door to the operating system.
//
// Engine code reaches the host only through this header: files, threads,
// locks, the instance guards and the process come as plain classes and
// functions shared by every backend (src/platform/posix); the clock, windows,
// events and dialogs belong to a backend (src/platform/sdl or
// src/platform/headless) behind the Platform interface.
//
// Texts cross this boundary as Shift_JIS bytes, the engine's own encoding;
// the backends convert them to UTF-8 for the host.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sound_device.h"

namespace vr::platform {

// ---------------------------------------------------------------- text

// Conversions between Shift_JIS (code page 932) and UTF-8.  Bytes that do not
// convert are replaced by '?' rather than dropping the rest of the text.
std::string sjisToUtf8(std::string_view sjis);
std::string utf8ToSjis(std::string_view utf8);
// True when the whole text converts (used to try a name's UTF-8 spelling).
bool sjisToUtf8Exact(std::string_view sjis, std::string& out);
bool utf8ToSjisExact(std::string_view utf8, std::string& out);

// ---------------------------------------------------------------- time

struct LocalTime {
    int year = 0, month = 0, day = 0;  // month 1..12, day 1..31
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    int weekday = 0;  // 0 = Sunday
};

// ---------------------------------------------------------------- files

// Engine file names are Shift_JIS, relative to the current directory (the
// game folder), with '\\' or '/' between components.  They are mapped to host
// paths component by component: each component is matched against the
// directory's entries without regard to ASCII case, trying the UTF-8
// spelling of the component first and its raw bytes second, so a game folder
// copied from Windows loads unchanged.  Names that start with '/' are host
// paths and are used as they are.
enum class OpenMode { Read, Write, Append, ReadWrite };

class File {
public:
    File() = default;
    ~File() { close(); }
    File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool open(std::string_view name, OpenMode mode);
    bool openHost(const std::string& hostPath, OpenMode mode);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // Reads up to n bytes; returns the count read (short only at the end or
    // on an error), or -1 on an error before anything was read.
    int64_t read(void* out, size_t n);
    bool readExact(void* out, size_t n) { return read(out, n) == int64_t(n); }
    bool write(const void* data, size_t n);
    // Flushes what was written to the disk and closes the file: 0, or the
    // system's error number.
    int finish();
    bool seek(uint64_t offset);
    int64_t size() const;

private:
    int fd_ = -1;
};

// The host path an engine name maps to; for a name whose last component
// does not exist yet, the path it would be created under.  Empty when a
// folder on the way does not exist.
std::string hostPath(std::string_view name);
bool fileExists(std::string_view name);
bool removeFile(std::string_view name);
// Replaces a file by `bytes` so that at every instant the file on disk holds
// either all its old bytes or all the new ones, even when the machine dies
// meanwhile: the bytes go to a file beside it, which is flushed to disk and
// renamed over the old one, and the folder is flushed.  0, or the system's
// error number (a full disk, an unwritable folder); the old file is then as
// it was and nothing is left beside it.
int replaceFile(std::string_view name, const void* bytes, size_t size);
// Makes a folder; one already there is fine.  0, or the system's error number.
int makeFolder(std::string_view name);
// Reads a whole host file; false when it cannot be opened or read.
bool readHostFile(const std::string& hostPath, std::vector<uint8_t>& out);
// Whether a host file can be opened for writing (made, when it does not
// exist).  A file it had to make for the test is removed again; an existing
// one is left as it was.
bool canWriteHostFile(const std::string& hostPath);

// One entry of a folder listing: the name in the engine's Shift_JIS (host
// names that do not convert keep their bytes) and whether it is a folder.
struct FolderEntry {
    std::string name;
    bool isFolder = false;
};
// Lists a folder given by engine name, "." and ".." left out, sorted by
// name so that every run sees the same order; false when it cannot be read.
bool listFolder(std::string_view name, std::vector<FolderEntry>& entries);

// The file commands' services (copy, folders, sizes, the registry store).
// Copies a file over another (replaced when it exists); false on any failure.
bool copyFile(std::string_view from, std::string_view to);
// Removes an empty folder; false when it is missing, not empty or not a folder.
bool removeFolder(std::string_view name);
bool folderExists(std::string_view name);
// The size of a regular file in bytes; -1 when it is missing or a folder.
int64_t fileSizeOnDisk(std::string_view name);
// Reads a value from a registry store file (host path; format in
// docs/registry.md): `key` is the full key path with '\\' between its parts,
// compared without regard to ASCII case, as is the value name.  The value
// comes back in Shift_JIS.  False when the file, the key or the value is missing.
bool readRegistryStore(const std::string& storePath, std::string_view key, std::string_view valueName,
                       std::string& value);
// The registry store a user keeps for all games: registry.txt in
// $XDG_CONFIG_HOME/virelo (or ~/.config/virelo).
std::string userRegistryStore();

bool setCurrentDirectory(const std::string& hostPath);
std::string currentDirectory();

// ---------------------------------------------------------------- process

// The running executable's full host path.
std::string executablePath();
// The size of the executable file as built, recorded after linking (0 when
// the build did not record it).  Data appended after it is the game's.
uint32_t builtSize();
int processorCount();
// The user's application-data and documents folders (host paths, ending in '/').
std::string appDataFolder();
std::string documentsFolder();
// Starts a program with its arguments in the given folder, not waiting for it.
bool spawnProcess(const std::string& program, const std::vector<std::string>& args,
                  const std::string& folder);
// Starts a program like spawnProcess and waits until it ends: its exit
// status, or -1 when it could not be started or was killed.  A timeout of 0
// waits without limit; when the time runs out the program is killed.
int runProcess(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
               uint32_t timeoutMilliseconds = 0);
// Runs a program and collects its standard output (at most 64 KiB); false
// when it did not end with status 0 within the time.
bool runProcessOutput(const std::string& program, const std::vector<std::string>& args, std::string& output,
                      uint32_t timeoutMilliseconds);
// A variable of the process's environment; empty when it is not set.
std::string environmentValue(const char* name);
// The host's text for an error number (the run-time library's errno texts).
std::string errnoText(int error);
// Physical memory as the host reports it; all zero when it cannot tell.
struct MemoryStatus {
    uint64_t totalBytes = 0;
    uint64_t availableBytes = 0;
    int loadPercent = 0;  // share of physical memory in use, 0..100
};
MemoryStatus hostMemoryStatus();
// SIGTERM and SIGINT become a quit event of the backend instead of killing
// the process, so the engine shuts down in order; a second SIGINT ends the
// process at once (exit status 130).  A file-size limit fails the write
// instead of ending the process.
void installQuitSignals();
bool quitSignalled();
// The first quit signal's number, or 0.
int quitSignal();
// Writes the text to standard error in one piece (the console reports).
void writeStandardError(std::string_view text);
// The process ids of this process's children, and a kill that cannot be
// ignored: a backend ends a dialog process it started when a quit signal
// comes while the dialog is open.
std::vector<int> childProcesses();
void killProcess(int pid);

// ---------------------------------------------------------------- compiler link

// The host's own clock and sleep, whatever clock the backend keeps: waiting
// for another process takes real time even on the headless virtual clock.
uint64_t hostMillis();
void hostSleep(uint32_t milliseconds);
// The host's wall clock in the local time zone.
LocalTime hostLocalTime();
int processId();
uint32_t userId();

// A named block of memory shared with another process (POSIX shared
// memory).  The creator owns the name and removes it when it closes the
// block; a process that opens it only maps it.
class SharedMemory {
public:
    SharedMemory() = default;
    ~SharedMemory() { close(); }
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;
    // Makes a block of `size` bytes readable and writable by this user only
    // (a block left under the name by a process that died is replaced).
    bool create(const std::string& name, size_t size);
    // Maps the whole of an existing block, as large as it is.
    bool open(const std::string& name);
    void close();
    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    // The other process writes while we read: 32-bit flags are read and
    // written whole and in order.
    uint32_t loadWord(size_t offset) const;
    void storeWord(size_t offset, uint32_t value);

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    std::string owned_;  // the name to remove at close, when we made it
};

// Removes the blocks named `prefix` and a process id whose process has
// ended: a process killed outright cannot remove its own, and they would
// hold their memory until the machine restarts.
void removeBlocksOfEndedProcesses(const std::string& prefix);

// A child program whose end the parent waits for (the development
// compiler).  The child inherits the environment with `environment`
// ("NAME=value") added, and the current directory.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // a child still running is killed and reaped
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    bool start(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& environment = {});
    // True once the child has ended (it is reaped then).
    bool ended();
    // The exit status of an ended child; -1 when a signal ended it.
    int exitStatus() const { return status_; }
    void kill();
    int pid() const { return pid_; }

private:
    int pid_ = -1;
    int status_ = -1;
    bool ended_ = false;
};


// The program the desktop opens a file with (xdg-mime: the default
// application of the file's type, the program of its desktop entry's Exec
// line found on the PATH), as a full host path; empty when there is none,
// or the file is a folder or missing.
std::string desktopDefaultProgram(const std::string& hostFile);
// The whole command that program opens the file with (its desktop entry's
// Exec line, the field codes filled in, the program as a full host path);
// empty when there is none.
std::vector<std::string> desktopOpenCommand(const std::string& hostFile);

// Watches a folder and the folders below it for files with an ending
// (".vrs") being written, made, moved or removed (inotify).
class FolderWatch {
public:
    FolderWatch() = default;
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    bool start(const std::string& hostFolder, const std::string& ending);
    // True when such a file changed since the last call (never blocks).
    bool changed();

private:
    int fd_ = -1;
    std::string ending_;
};

// ---------------------------------------------------------------- threads

// An auto-reset event: set() wakes exactly one waiter (or the next one to
// wait) and the event clears itself again.
class AutoResetEvent {
public:
    explicit AutoResetEvent(bool initiallySet = false);
    ~AutoResetEvent();
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;
    void set();
    void reset();  // clears the event without waiting
    void wait();
    // False when the time ran out.
    bool waitFor(uint32_t milliseconds);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The engine lock: recursive, like the critical section it stands for.
class EngineLock {
public:
    EngineLock();
    ~EngineLock();
    EngineLock(const EngineLock&) = delete;
    EngineLock& operator=(const EngineLock&) = delete;
    void lock();
    void unlock();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class LockHolder {
public:
    explicit LockHolder(EngineLock& lock) : lock_(lock) { lock_.lock(); }
    ~LockHolder() { lock_.unlock(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

private:
    EngineLock& lock_;
};

// A number that tells the calling thread from every other thread of the
// process (never 0).
uint64_t currentThreadId();

class Thread {
public:
    Thread();
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    // `preferredProcessor` is a hint (-1 for none); the host may ignore it.
    bool start(std::function<void()> body, int preferredProcessor = -1);
    void join();
    bool running() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// ---------------------------------------------------------------- instance guards

// Folder of the lock files and sockets: $VIRELO_RUNTIME_DIR when set, else
// $XDG_RUNTIME_DIR/virelo, else /tmp/virelo-<uid>.  Created on first use;
// empty when it cannot be made.
std::string runtimeFolder();

// A folder of this process alone (under $TMPDIR or /tmp), removed with
// everything in it when the object goes.  Headless runs keep their guards
// there, so that any number of them can run one game at once.
class PrivateFolder {
public:
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    // Empty when it could not be made.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A named lock held by one process at a time (a lock file with flock).
// acquire() fails when another process holds it.
class NamedLock {
public:
    NamedLock() = default;
    ~NamedLock() { release(); }
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;
    // 1 = acquired, 0 = another process holds it, -1 = could not be created.
    // The lock file lives in `folder`, by default the runtime folder.
    int acquire(std::string_view name, const std::string& folder = runtimeFolder());
    void release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// The local socket through which a second instance asks the first one to
// come to the front.  The first instance listens; the second sends.
class InstanceChannel {
public:
    InstanceChannel() = default;
    ~InstanceChannel() { close(); }
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;
    bool listen(std::string_view name, const std::string& folder = runtimeFolder());
    // True when a raise request arrived since the last call (never blocks).
    bool pollRaiseRequest();
    void close();
    // Sent by the second instance; false when nobody listens.
    static bool sendRaiseRequest(std::string_view name, const std::string& folder = runtimeFolder());

private:
    // Connections accepted whose request line has not fully arrived yet.
    struct Pending {
        int fd = -1;
        std::string received;
    };
    int fd_ = -1;
    std::string path_;
    uint64_t inode_ = 0;  // of our socket file, so close() removes only ours
    std::vector<Pending> pending_;
};

// ---------------------------------------------------------------- backends

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// A view of 32-bit pixels stored blue, green, red, alpha, rows top-down.
struct SurfaceView {
    const uint8_t* pixels = nullptr;
    int width = 0, height = 0;
    int stride = 0;  // bytes per row
};

using WindowId = int;
constexpr WindowId kNoWindow = -1;

enum class WindowStyle { Popup, Framed, FramedResizable };

struct WindowSpec {
    int width = 640, height = 480;  // client size
    std::string title;              // Shift_JIS
    WindowStyle style = WindowStyle::Framed;
    bool toolWindow = false;     // no taskbar button
    bool topmost = false;
    bool placeAtOrigin = false;  // else centred on the desktop
};

enum class EventType {
    Quit,          // the host asks the program to end (signal, session end)
    CloseRequest,  // the close box of a window
    FocusGained,
    FocusLost,
    Exposed,       // the window's contents must be presented again
    RaiseRequest,  // a second instance asked this one to come to the front
    MouseButtonDown,  // button, x, y
    MouseButtonUp,    // button, x, y
    MouseMotion,      // x, y
    MouseWheel,       // wheel
    KeyDown,          // key (repeats come as further KeyDown events)
    KeyUp,            // key
    DropBegin,        // a drop of files starts; its DropFile events follow
    DropFile,         // text: one dropped path
    Minimised,
    Maximised,
    Restored,
    Resized,          // x, y: the window's new client size
    DragStarted,      // a left click at x, y went to the drag test and moves the window
    MenuCommand,      // key: the command id of a menu entry
};

// The cursor shapes scripts can choose, by the numbers they use.
enum class CursorShape {
    Arrow = 0, IBeam = 1, Wait = 2, Cross = 3, UpArrow = 4, SizeNwse = 5, SizeNesw = 6, SizeWe = 7,
    SizeNs = 8, SizeAll = 9, No = 10, Hand = 11, ArrowWait = 12, Help = 13,
};

using KeyboardState = std::array<uint8_t, 256>;
constexpr uint8_t kKeyDownBit = 0x80;

// Mouse buttons as the engine numbers them.
constexpr int kMouseLeft = 1, kMouseRight = 2, kMouseMiddle = 4;
// One notch of the wheel, away from the user positive.
constexpr int kWheelNotch = 120;

struct Event {
    EventType type = EventType::Quit;
    WindowId window = kNoWindow;
    int x = 0, y = 0;  // client coordinates of the picture (mouse), or a client size
    int button = 0;    // kMouseLeft, kMouseRight or kMouseMiddle
    int wheel = 0;     // in kWheelNotch units per notch
    int key = 0;       // Windows virtual-key number (0: the key has none); menu command id
    std::string text;  // Shift_JIS
};

struct DisplayInfo {
    int width = 0, height = 0;
    int bitsPerPixel = 32;
    int refreshHz = 60;
};

// A mode the display can be switched to; bits per pixel count the bytes a
// pixel is stored in (a 24-bit colour kept in 4 bytes is 32), as games
// expect from the desktop depth.
struct DisplayMode {
    int width = 0, height = 0;
    int bitsPerPixel = 32;
    int refreshHz = 0;  // 0: whatever the display offers
    bool operator==(const DisplayMode&) const = default;
};

// Answers whether a left click at a client point of the picture starts
// moving the window (the drag layer of a frameless window).
using DragTest = std::function<bool(int x, int y)>;

// Button sets and results of message boxes: the numbers scripts see.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum DialogResult { kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6, kIdNo = 7 };
enum class Icon { None, Error, Warning, Information, Question };

struct MessageBoxSpec {
    std::string text;     // Shift_JIS
    std::string caption;  // Shift_JIS; empty for none
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    int defaultButton = 0;  // index into the button set
    bool systemModal = true;
    WindowId owner = kNoWindow;
};

enum class EditButton { Absent, Disabled, Enabled };

// The error dialog: the report text, and the buttons "編集(&E)" (edit) and
// "終了(&X)" (end).  It returns when the end button is chosen; the edit
// button calls onEdit and leaves the dialog open.
struct ErrorDialogSpec {
    std::string text;     // Shift_JIS
    std::string caption;  // Shift_JIS
    EditButton edit = EditButton::Absent;
    WindowId owner = kNoWindow;
    std::function<void()> onEdit;
};

// The one-line text input dialog: a title, a prompt above an edit field
// that starts with `text` selected, and an OK button; it has no close box.
// The field takes only characters Shift_JIS can spell, at most
// `maxCharacters` of them (0: no limit; a double-byte character counts once).
struct InputDialogSpec {
    std::string title;   // Shift_JIS
    std::string prompt;  // Shift_JIS
    std::string text;    // Shift_JIS
    int maxCharacters = 0;
    WindowId owner = kNoWindow;
};

class Platform {
public:
    virtual ~Platform() = default;
    virtual const char* name() const = 0;
    virtual bool isHeadless() const = 0;

    // Monotonic milliseconds.  The headless clock is virtual: it stands
    // still until sleep() advances it, so headless runs are reproducible.
    virtual uint64_t millis() = 0;
    virtual void sleep(uint32_t milliseconds) = 0;
    virtual LocalTime localTime() = 0;

    // The display as it is now (a full-screen mode while one is set).
    virtual DisplayInfo display() = 0;
    // The headless backend reports fixed figures, so runs stay reproducible.
    virtual MemoryStatus memoryStatus() { return hostMemoryStatus(); }

    virtual WindowId createWindow(const WindowSpec& desc) = 0;
    virtual void destroyWindow(WindowId window) = 0;
    virtual void showWindow(WindowId window, bool shown) = 0;
    virtual void setWindowTitle(WindowId window, std::string_view title) = 0;
    // Restores a minimised window and brings it to the front.
    virtual void raiseWindow(WindowId window) = 0;
    // Restores a minimised or maximised window without raising it.
    virtual void restoreWindow(WindowId window) = 0;
    virtual void minimiseWindow(WindowId window) = 0;
    virtual bool windowMinimised(WindowId window) = 0;
    // The client size the picture is made for.  A new size starts black;
    // the engine presents its whole picture again.
    virtual void setClientSize(WindowId window, int width, int height) = 0;
    // Screen position of the client area's top-left corner.
    virtual void windowPosition(WindowId window, int& x, int& y) = 0;
    virtual void moveWindow(WindowId window, int x, int y) = 0;

    // Shows part of a picture in the window's client area: the rectangle
    // `part` of the surface, with the surface's top-left pixel placed at
    // (x, y) of the client area.  Whatever falls outside the surface or the
    // client area is left out; the rest of the window keeps what it showed.
    virtual bool present(WindowId window, const SurfaceView& surface, const Rect& part, int x, int y) = 0;
    // Paints the whole client area black.
    virtual bool clearWindow(WindowId window) = 0;
    // Installs (or, with an empty test, removes) the drag test of a window.
    virtual void setDragTest(WindowId window, DragTest test) = 0;

    virtual void showCursor(bool shown) = 0;
    // Moves the cursor to a client point of the window's picture (the
    // inverse of windowCursorPosition).
    virtual void moveCursor(WindowId window, int x, int y) = 0;
    // The cursor shown over every engine window.
    virtual void setCursorShape(CursorShape shape) = 0;
    // The keyboard and the mouse buttons as they are now, by Windows
    // virtual-key number: bit 7 of a byte is set while its key is down.  A
    // modifier sets both its sided number (160 to 165) and its generic one
    // (16 to 18); the left, right and middle mouse buttons are 1, 2 and 4.
    virtual void keyboardState(KeyboardState& state) = 0;
    // The cursor in screen coordinates.
    virtual void cursorScreenPosition(int& x, int& y) = 0;
    // The cursor in the client coordinates of the window's picture (a
    // picture scaled to the window or the display is accounted for); may lie
    // outside the client area.
    virtual void windowCursorPosition(WindowId window, int& x, int& y) = 0;

    // The display modes the display can be switched to, in the host's order.
    virtual std::vector<DisplayMode> displayModes() = 0;
    // Switches the display to the mode and makes the window cover it,
    // without frame or caption.  False when the display refused the mode.
    virtual bool enterFullScreen(WindowId window, const DisplayMode& mode) = 0;
    // Covers the desktop with the window, the picture scaled to fit with its
    // proportions kept; the display mode stays as it is.
    virtual bool enterDesktopFullScreen(WindowId window) = 0;
    // Back to the desktop's own mode; the window gets the style of `desc`
    // again and its former place.  False when the window could not be
    // changed back.
    virtual bool leaveFullScreen(WindowId window, const WindowSpec& desc) = 0;
    // The user would rather have the picture scaled to the desktop than the
    // display switched to the window's size.  The SDL backend asks the
    // environment: VIRELO_FULLSCREEN=desktop.
    virtual bool prefersDesktopFullScreen() = 0;

    // Takes the next waiting event; false when there is none.
    virtual bool pollEvent(Event& event) = 0;

    virtual int messageBox(const MessageBoxSpec& desc) = 0;
    virtual void errorDialog(const ErrorDialogSpec& desc) = 0;
    // Runs the input dialog until OK; true with the field's text (Shift_JIS),
    // false when the dialog could not be shown.
    virtual bool inputDialog(const InputDialogSpec& desc, std::string& text) = 0;
    // The clipboard's text in Shift_JIS (characters it cannot spell become
    // '?'); false when the clipboard holds no text.
    virtual bool clipboardText(std::string& sjis) = 0;
    // Replaces the clipboard's contents by a Shift_JIS text; false on failure.
    virtual bool setClipboardText(std::string_view sjis) = 0;
    // Opens a file or program the way the desktop would (associated program).
    virtual bool shellOpen(const std::string& file, const std::string& parameters) = 0;
    // The file commands: opening a file and waiting until its program ends,
    // the program a file opens with (a full host path; empty for none, and
    // always none headless, so that a test never starts the desktop's
    // editor), and the registry reads (the user's store, then the game
    // folder's registry.txt; headless runs read only the latter, so they do
    // not depend on the machine).
    virtual bool shellOpenAndWait(const std::string& file, const std::string& parameters) = 0;
    virtual std::string associatedProgram(const std::string& hostFile) { return desktopDefaultProgram(hostFile); }
    // The whole command the desktop opens the file with (desktopOpenCommand);
    // none headless.
    virtual std::vector<std::string> associatedCommand(const std::string& hostFile) {
        return desktopOpenCommand(hostFile);
    }
    virtual bool readRegistry(std::string_view key, std::string_view valueName, std::string& value) {
        return readRegistryStore(userRegistryStore(), key, valueName, value) ||
               readRegistryStore(hostPath("registry.txt"), key, valueName, value);
    }

    // The sound device, opened on the first call; null when the host has no
    // audio output (the engine then runs without sound).
    virtual SoundDevice* soundDevice() { return nullptr; }
    // A virtual clock has no time of its own for a sound thread to race: it
    // tells the listener each step it takes (from, to), and the sound layer
    // runs its cycles and the mixer inside that step, in a fixed order.  A
    // real clock never calls the listener and answers false.
    virtual bool setClockListener(std::function<void(uint64_t from, uint64_t to)> listener) {
        (void)listener;
        return false;
    }
};

// The display modes of the headless display unless a test gives others.
std::vector<DisplayMode> defaultHeadlessModes();

struct HeadlessOptions {
    DisplayInfo display{1920, 1080, 32, 60};  // the desktop
    std::vector<DisplayMode> modes = defaultHeadlessModes();
    bool refuseModeChange = false;   // every switch of the display mode fails
    bool preferDesktopFullScreen = false;
    bool realTime = false;  // use the real clock and really sleep
    bool echoTranscript = false;  // also print every recorded line to stdout
    // A WAV file (host path) the sound device records its mix to, from the
    // first frame to the end of the run; empty for none.
    std::string audioOut;
};

// The SDL backend; null when SDL's video cannot start (no display).
std::unique_ptr<Platform> createSdlPlatform();
std::unique_ptr<Platform> createHeadlessPlatform(const HeadlessOptions& options = {});

}  // namespace vr::platform
