#include "platform/crash/crash_handler.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>
#include <unwind.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>

#include "platform/crash/internal/crash_internal.h"
#include "platform/native_thread.h"

extern char** environ;

namespace platform::crash {

const char* const kMessageCaption = "Fatal error. Send information request.";

namespace {

// ---- settings (fixed buffers: the handler must not allocate) ---------------------------------

char g_prefix[1024];
char g_extension[64];
int g_dumpMode = 1;
bool g_showMessage = true;
char g_address[256];
char g_format[512];
char g_exePath[4096];
const char* g_exeBase = "";

std::atomic<Callback> g_callback{nullptr};
bool g_installed = false;
std::atomic<int> g_reporting{0};

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT};
constexpr int kSignalCount = sizeof(kSignals) / sizeof(kSignals[0]);
struct sigaction g_previous[kSignalCount];
std::terminate_handler g_previousTerminate = nullptr;

constexpr int kMaxLimitModules = 32;
uintptr_t g_limitModules[kMaxLimitModules];
int g_limitCount = 0;

// ---- per-thread stack bounds and alternate stack ---------------------------------------------

constexpr size_t kAltStackSize = 256 * 1024;

struct ThreadStack {
    uintptr_t low;
    uintptr_t high;
};
thread_local ThreadStack t_stack;  // trivially constructed: safe to read in the handler

struct AltStackOwner {
    void* memory = nullptr;
    ~AltStackOwner() {
        if (!memory) return;
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        ::sigaltstack(&off, nullptr);
        ::munmap(memory, kAltStackSize);
    }
};
thread_local AltStackOwner t_altStack;

// ---- async-signal-safe text building ----------------------------------------------------------

struct Text {
    char* data;
    size_t capacity;
    size_t size = 0;
    void add(const char* s) {
        while (s && *s && size + 1 < capacity) data[size++] = *s++;
        data[size] = 0;
    }
    void add(const char* s, size_t n) {
        for (size_t i = 0; i < n && s[i] && size + 1 < capacity; ++i) data[size++] = s[i];
        data[size] = 0;
    }
    void hex(uint64_t v, int width) {
        char tmp[17];
        int n = 0;
        do {
            tmp[n++] = "0123456789ABCDEF"[v & 15];
            v >>= 4;
        } while (v && n < 16);
        while (n < width && n < 16) tmp[n++] = '0';
        while (n > 0 && size + 1 < capacity) data[size++] = tmp[--n];
        data[size] = 0;
    }
    void dec(int64_t v) {
        char tmp[24];
        int n = 0;
        bool neg = v < 0;
        uint64_t u = neg ? uint64_t(0) - uint64_t(v) : uint64_t(v);
        do {
            tmp[n++] = char('0' + u % 10);
            u /= 10;
        } while (u);
        if (neg) tmp[n++] = '-';
        while (n > 0 && size + 1 < capacity) data[size++] = tmp[--n];
        data[size] = 0;
    }
};

bool writeAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void copyString(char* out, size_t capacity, const char* in) {
    size_t i = 0;
    for (; in && in[i] && i + 1 < capacity; ++i) out[i] = in[i];
    out[i] = 0;
}

// ---- the memory map ---------------------------------------------------------------------------

struct Mapping {
    uintptr_t start, end, offset;
    bool exec, write;
    const char* path;  // "" for anonymous mappings
};

constexpr size_t kMapsBufferSize = 2u << 20;
constexpr int kMaxMappings = 16384;
char g_mapsText[kMapsBufferSize];  // raw text, kept for the dump
size_t g_mapsTextSize = 0;
char g_mapsParsed[kMapsBufferSize];
Mapping g_mappings[kMaxMappings];
int g_mappingCount = 0;

uintptr_t parseHex(const char*& p) {
    uintptr_t v = 0;
    for (;; ++p) {
        char c = *p;
        if (c >= '0' && c <= '9') v = v * 16 + uintptr_t(c - '0');
        else if (c >= 'a' && c <= 'f') v = v * 16 + uintptr_t(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') v = v * 16 + uintptr_t(c - 'A' + 10);
        else return v;
    }
}

void loadMappings() {
    g_mapsTextSize = 0;
    g_mappingCount = 0;
    int fd = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    while (g_mapsTextSize + 1 < kMapsBufferSize) {
        ssize_t n = ::read(fd, g_mapsText + g_mapsTextSize, kMapsBufferSize - 1 - g_mapsTextSize);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        g_mapsTextSize += static_cast<size_t>(n);
    }
    ::close(fd);
    std::memcpy(g_mapsParsed, g_mapsText, g_mapsTextSize);
    g_mapsParsed[g_mapsTextSize] = 0;
    char* line = g_mapsParsed;
    while (*line && g_mappingCount < kMaxMappings) {
        char* eol = line;
        while (*eol && *eol != '\n') ++eol;
        bool last = !*eol;
        *eol = 0;
        // start-end perms offset dev inode path
        const char* p = line;
        Mapping m{};
        m.start = parseHex(p);
        if (*p == '-') ++p;
        m.end = parseHex(p);
        while (*p == ' ') ++p;
        m.write = p[0] && p[1] == 'w';
        m.exec = p[0] && p[1] && p[2] == 'x';
        while (*p && *p != ' ') ++p;
        while (*p == ' ') ++p;
        m.offset = parseHex(p);
        for (int field = 0; field < 2; ++field) {  // dev, inode
            while (*p == ' ') ++p;
            while (*p && *p != ' ') ++p;
        }
        while (*p == ' ') ++p;
        m.path = p;
        if (m.end > m.start) g_mappings[g_mappingCount++] = m;
        if (last) break;
        line = eol + 1;
    }
}

const Mapping* findMapping(uintptr_t address) {
    for (int i = 0; i < g_mappingCount; ++i)
        if (address >= g_mappings[i].start && address < g_mappings[i].end) return &g_mappings[i];
    return nullptr;
}

const char* baseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/') base = p + 1;
    return base;
}

// The module file of an address, or null for anonymous and special mappings.
const char* modulePath(uintptr_t address) {
    const Mapping* m = findMapping(address);
    if (!m || m->path[0] != '/') return nullptr;
    return m->path;
}

// ---- fault classification --------------------------------------------------------------------

struct NamedCode {
    uint32_t code;
    const char* name;
};
constexpr NamedCode kExceptionNames[] = {
    {0x80000002, "EXCEPTION_DATATYPE_MISALIGNMENT"},
    {0x80000003, "EXCEPTION_BREAKPOINT"},
    {0x80000004, "EXCEPTION_SINGLE_STEP"},
    {0x80000001, "EXCEPTION_GUARD_PAGE"},
    {0xC0000005, "EXCEPTION_ACCESS_VIOLATION"},
    {0xC000008C, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
    {0xC000008D, "EXCEPTION_FLT_DENORMAL_OPERAND"},
    {0xC000008E, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
    {0xC000008F, "EXCEPTION_FLT_INEXACT_RESULT"},
    {0xC0000090, "EXCEPTION_FLT_INVALID_OPERATION"},
    {0xC0000091, "EXCEPTION_FLT_OVERFLOW"},
    {0xC0000092, "EXCEPTION_FLT_STACK_CHECK"},
    {0xC0000093, "EXCEPTION_FLT_UNDERFLOW"},
    {0xC0000094, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {0xC0000095, "EXCEPTION_INT_OVERFLOW"},
    {0xC0000096, "EXCEPTION_PRIV_INSTRUCTION"},
    {0xC0000006, "EXCEPTION_IN_PAGE_ERROR"},
    {0xC000001D, "EXCEPTION_ILLEGAL_INSTRUCTION"},
    {0xC0000025, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
    {0xC00000FD, "EXCEPTION_STACK_OVERFLOW"},
    {0xC0000026, "EXCEPTION_INVALID_DISPOSITION"},
    {0xC0000008, "EXCEPTION_INVALID_HANDLE"},
    {0xE06D7363, "Microsoft C++ Exception"},
};
constexpr uint32_t kStackOverflow = 0xC00000FD;

const char* nameOf(uint32_t code) {
    for (const NamedCode& n : kExceptionNames)
        if (n.code == code) return n.name;
    return nullptr;
}

uint32_t codeOf(int sig, int code, bool stackOverflow) {
    switch (sig) {
    case SIGSEGV:
        return stackOverflow ? kStackOverflow : 0xC0000005;
    case SIGBUS:
        return code == BUS_ADRALN ? 0x80000002 : 0xC0000006;
    case SIGFPE:
        switch (code) {
        case FPE_INTDIV: return 0xC0000094;
        case FPE_INTOVF: return 0xC0000095;
        case FPE_FLTDIV: return 0xC000008E;
        case FPE_FLTOVF: return 0xC0000091;
        case FPE_FLTUND: return 0xC0000093;
        case FPE_FLTRES: return 0xC000008F;
        case FPE_FLTSUB: return 0xC000008C;
        default: return 0xC0000090;
        }
    case SIGILL:
        return (code == ILL_PRVOPC || code == ILL_PRVREG) ? 0xC0000096 : 0xC000001D;
    case SIGTRAP:
        return code == TRAP_TRACE ? 0x80000004 : 0x80000003;
    default:
        return 0;  // SIGABRT has no counterpart
    }
}

const char* signalText(int sig) {
    switch (sig) {
    case SIGABRT: return "SIGABRT (Aborted)";
    case SIGSEGV: return "SIGSEGV (Segmentation fault)";
    case SIGBUS: return "SIGBUS (Bus error)";
    case SIGFPE: return "SIGFPE (Floating point exception)";
    case SIGILL: return "SIGILL (Illegal instruction)";
    case SIGTRAP: return "SIGTRAP (Trace/breakpoint trap)";
    default: return "unknown signal";
    }
}

uintptr_t contextPc(const void* ctx) {
#if defined(__x86_64__)
    return ctx ? uintptr_t(static_cast<const ucontext_t*>(ctx)->uc_mcontext.gregs[REG_RIP]) : 0;
#elif defined(__aarch64__)
    return ctx ? uintptr_t(static_cast<const ucontext_t*>(ctx)->uc_mcontext.pc) : 0;
#else
    (void)ctx;
    return 0;
#endif
}

uintptr_t contextSp(const void* ctx) {
#if defined(__x86_64__)
    return ctx ? uintptr_t(static_cast<const ucontext_t*>(ctx)->uc_mcontext.gregs[REG_RSP]) : 0;
#elif defined(__aarch64__)
    return ctx ? uintptr_t(static_cast<const ucontext_t*>(ctx)->uc_mcontext.sp) : 0;
#else
    (void)ctx;
    return 0;
#endif
}

uint16_t contextCs(const void* ctx) {
#if defined(__x86_64__)
    return ctx ? uint16_t(static_cast<const ucontext_t*>(ctx)->uc_mcontext.gregs[REG_CSGSFS] & 0xFFFF) : 0;
#else
    (void)ctx;
    return 0;
#endif
}

// A fault just below the thread's stack (its guard) or right beside the stack pointer.
bool isStackOverflow(uintptr_t address, uintptr_t sp) {
    constexpr uintptr_t kNear = 64 * 1024;
    if (t_stack.low && address + (1u << 20) >= t_stack.low && address < t_stack.low + kNear) return true;
    return sp && address + kNear >= sp && address <= sp + kNear;
}

// ---- handler installation ---------------------------------------------------------------------

void restorePrevious() {
    for (int i = 0; i < kSignalCount; ++i) {
        struct sigaction sa = g_previous[i];
        if (sa.sa_handler == SIG_IGN) sa.sa_handler = SIG_DFL;  // an ignored fault would repeat forever
        ::sigaction(kSignals[i], &sa, nullptr);
    }
}

void raiseAgain(int sig) {
    // Pending until the handler returns; the restored handler (or the default action) takes it.
    ::syscall(SYS_tgkill, ::getpid(), ::syscall(SYS_gettid), sig);
}

bool inLimitModules(uintptr_t pc) {
    if (g_limitCount == 0) return true;
    const char* faulting = modulePath(pc);
    if (!faulting) return false;
    for (int i = 0; i < g_limitCount; ++i) {
        const char* module = modulePath(g_limitModules[i]);
        if (module && std::strcmp(module, faulting) == 0) return true;
    }
    return false;
}

void report(Fault& fault) {
    Callback callback = g_callback.load();
    if (!callback) return;
    loadMappings();
    if (inLimitModules(fault.pc)) callback(fault);
}

void onSignal(int sig, siginfo_t* info, void* context) {
    int expected = 0;
    if (!g_reporting.compare_exchange_strong(expected, 1)) {
        // Another thread is reporting; it ends the process when done. Give it time, then go.
        for (int i = 0; i < 3000 && g_reporting.load() == 1; ++i) {
            struct timespec ts{0, 10 * 1000 * 1000};
            ::nanosleep(&ts, nullptr);
        }
        restorePrevious();
        raiseAgain(sig);
        return;
    }
    int savedErrno = errno;
    Fault fault;
    fault.signal = sig;
    fault.code = info ? info->si_code : 0;
    fault.address = info ? uintptr_t(info->si_addr) : 0;
    fault.context = context;
    fault.pc = contextPc(context);
    fault.stackOverflow = sig == SIGSEGV && isStackOverflow(fault.address, contextSp(context));
    fault.exceptionCode = codeOf(sig, fault.code, fault.stackOverflow);
    const char* name = nameOf(fault.exceptionCode);
    fault.exceptionName = name ? name : signalText(sig);
    if (fault.stackOverflow) {
        // The nearest thing to the debugger's output channel here is the error stream.
        static const char kBanner[] =
            "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\nEXCEPTION_STACK_OVERFLOW occurred\n!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\n";
        writeAll(2, kBanner, sizeof kBanner - 1);
    }
    report(fault);
    restorePrevious();
    errno = savedErrno;
    raiseAgain(sig);
}

void onTerminate() {
    if (g_reporting.exchange(1) == 0) {
        // A fault while reporting from here must end the process at once rather than wait in
        // the signal handler for this very thread to finish its report.
        sigset_t fatal, previous;
        ::sigemptyset(&fatal);
        for (int sig : kSignals) ::sigaddset(&fatal, sig);
        ::pthread_sigmask(SIG_BLOCK, &fatal, &previous);
        ucontext_t uc{};
        ::getcontext(&uc);
        Fault fault;
        fault.signal = SIGABRT;
        fault.context = &uc;
        // Where the runtime called the terminate handler: the walk starts there.
        fault.pc = uintptr_t(__builtin_return_address(0));
        fault.exceptionCode = 0xE06D7363;
        fault.exceptionName = nameOf(fault.exceptionCode);
        report(fault);
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    restorePrevious();
    std::abort();
}

// Resolves the unwinder's lazy bindings outside of any handler.
_Unwind_Reason_Code countFrame(struct _Unwind_Context*, void* arg) {
    ++*static_cast<int*>(arg);
    return _URC_NO_REASON;
}

void installHandlers() {
    struct sigaction sa{};
    sa.sa_sigaction = onSignal;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    ::sigemptyset(&sa.sa_mask);
    for (int sig : kSignals) ::sigaddset(&sa.sa_mask, sig);  // a second fault while reporting is fatal
    for (int i = 0; i < kSignalCount; ++i) ::sigaction(kSignals[i], &sa, &g_previous[i]);
    g_previousTerminate = std::set_terminate(onTerminate);
    g_installed = true;
}

}  // namespace

void prepareThread() {
    pthread_attr_t attr;
    if (::pthread_getattr_np(::pthread_self(), &attr) == 0) {
        void* addr = nullptr;
        size_t size = 0;
        if (::pthread_attr_getstack(&attr, &addr, &size) == 0) {
            t_stack.low = uintptr_t(addr);
            t_stack.high = uintptr_t(addr) + size;
        }
        ::pthread_attr_destroy(&attr);
    }
    if (t_altStack.memory) return;
    void* memory = ::mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    stack_t ss{};
    ss.ss_sp = memory;
    ss.ss_size = kAltStackSize;
    if (::sigaltstack(&ss, nullptr) != 0) {
        ::munmap(memory, kAltStackSize);
        return;
    }
    t_altStack.memory = memory;
}

void configure(const char* hostPrefix, const char* reportExtension, int dumpMode, bool showMessage,
               const char* supportAddress, const char* messageFormat) {
    copyString(g_prefix, sizeof g_prefix, hostPrefix);
    copyString(g_extension, sizeof g_extension, reportExtension);
    g_dumpMode = dumpMode;
    g_showMessage = showMessage;
    copyString(g_address, sizeof g_address, supportAddress);
    copyString(g_format, sizeof g_format, messageFormat);
    ssize_t n = ::readlink("/proc/self/exe", g_exePath, sizeof g_exePath - 1);
    g_exePath[n > 0 ? n : 0] = 0;
    g_exeBase = baseName(g_exePath);
}

bool setCallback(Callback callback) {
    if (callback) {
        if (!isCodeAddress(reinterpret_cast<const void*>(callback))) return false;
        g_callback.store(callback);
        if (!g_installed) {
            int frames = 0;
            _Unwind_Backtrace(countFrame, &frames);
            prepareThread();
            platform::NativeThread::setStartHook(&prepareThread);
            installHandlers();
        }
        return true;
    }
    if (g_installed) {
        restorePrevious();
        std::set_terminate(g_previousTerminate);
        g_installed = false;
    }
    g_limitCount = 0;
    g_callback.store(nullptr);
    return true;
}

bool isCodeAddress(const void* address) {
    if (!address) return false;
    loadMappings();
    const Mapping* m = findMapping(uintptr_t(address));
    return m && m->exec;
}

void addLimitModule(const void* anyAddressInModule) {
    if (g_limitCount < kMaxLimitModules) g_limitModules[g_limitCount++] = uintptr_t(anyAddressInModule);
}

// ---- the report routine -----------------------------------------------------------------------

namespace {

constexpr int kMaxFrames = 64;
uintptr_t g_frames[kMaxFrames + 32];
int g_frameCount = 0;

_Unwind_Reason_Code collectFrame(struct _Unwind_Context* ctx, void*) {
    if (g_frameCount >= kMaxFrames + 32) return _URC_END_OF_STACK;
    g_frames[g_frameCount++] = uintptr_t(_Unwind_GetIP(ctx));
    return _URC_NO_REASON;
}

// Frames from the faulting instruction outward; just that one on a stack overflow.
int collectFrames(const Fault& fault, uintptr_t* out) {
    out[0] = fault.pc;
    if (fault.stackOverflow || !fault.pc) return 1;
    g_frameCount = 0;
    _Unwind_Backtrace(collectFrame, nullptr);
    int start = -1;
    for (int i = 0; i < g_frameCount; ++i) {
        if (g_frames[i] == fault.pc) {
            start = i;
            break;
        }
    }
    if (start < 0) return 1;
    int n = 0;
    for (int i = start; i < g_frameCount && n < kMaxFrames; ++i)
        if (g_frames[i]) out[n++] = g_frames[i];
    return n;
}

char g_reportName[1400];
char g_dumpName[1400];
char g_reportText[64 * 1024];
uintptr_t g_reportFrames[kMaxFrames];
char g_offsets[kMaxFrames + 1][20];
const char* g_helperArgs[detail::kHelperFixedArgs + 2 * (kMaxFrames + 1) + 1];

void appendModule(Text& t, uintptr_t address) {
    const char* path = modulePath(address);
    t.add(path ? baseName(path) : "<UNKNOWN>");
}

void appendRegisters(Text& t, const void* ctx) {
#if defined(__x86_64__)
    const greg_t* r = ctx ? static_cast<const ucontext_t*>(ctx)->uc_mcontext.gregs : nullptr;
    auto reg = [&](const char* name, int index, bool last) {
        t.add(name);
        t.add("=");
        t.hex(r ? uint64_t(r[index]) : 0, 16);
        if (!last) t.add("  ");
    };
    reg("RAX", REG_RAX, false); reg("RBX", REG_RBX, false); reg("RCX", REG_RCX, false); reg("RDX", REG_RDX, false);
    reg("RSI", REG_RSI, false); reg("RDI", REG_RDI, false); reg("RBP", REG_RBP, false); reg("RSP", REG_RSP, true);
    t.add("\n");
    reg("R8", REG_R8, false); reg("R9", REG_R9, false); reg("R10", REG_R10, false); reg("R11", REG_R11, false);
    reg("R12", REG_R12, false); reg("R13", REG_R13, false); reg("R14", REG_R14, false); reg("R15", REG_R15, true);
    t.add("\n");
    reg("RIP", REG_RIP, false);
    t.add("FLG=");
    t.hex(r ? uint64_t(r[REG_EFL]) & 0xFFFFFFFF : 0, 8);
    uint64_t seg = r ? uint64_t(r[REG_CSGSFS]) : 0;
    t.add("  CS=");
    t.hex(seg & 0xFFFF, 4);
    t.add("   GS=");
    t.hex((seg >> 16) & 0xFFFF, 4);
    t.add("  FS=");
    t.hex((seg >> 32) & 0xFFFF, 4);
#else
    (void)ctx;
    t.add("registers unavailable\n\n");
#endif
}

// The file offset of an address in its module, for the helper to find the same code again.
const char* fileOffsetText(uintptr_t address, char* out) {
    const Mapping* m = findMapping(address);
    Text t{out, 20};
    t.hex(m ? address - m->start + m->offset : 0, 1);
    return out;
}

int openForWrite(const char* path) {
    return ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

// Copies memory into the file; unreadable pages become zeros instead of a second fault. The raw
// system call also keeps memory checkers from objecting to the copied stack's guard zones.
bool writeMemory(int fd, uintptr_t start, uint64_t size) {
    static const char zeros[4096] = {};
    while (size) {
        size_t chunk = size < 4096 ? size_t(size) : 4096;
        ssize_t n = ::syscall(SYS_write, fd, start, chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (!writeAll(fd, zeros, chunk)) return false;
            n = ssize_t(chunk);
        }
        start += uintptr_t(n);
        size -= uint64_t(n);
    }
    return true;
}

bool writeSection(int fd, uint32_t kind, uintptr_t address, const void* data, uint64_t size, bool memory) {
    uint32_t head[2] = {kind, 0};
    uint64_t where[2] = {uint64_t(address), size};
    if (!writeAll(fd, head, sizeof head) || !writeAll(fd, where, sizeof where)) return false;
    return memory ? writeMemory(fd, uintptr_t(data), size) : writeAll(fd, data, size_t(size));
}

// The dump: "TOVDUMP1", then sections {u32 kind, u32 0, u64 address, u64 size, bytes}: 1 the
// register context, 2 the memory map text, 3 a copy of the faulting stack, 4 data segments.
int writeDump(const char* path, const Fault& fault) {
    if (std::strlen(path) > 260) return 3;
    int fd = openForWrite(path);
    if (fd < 0) return 4;
    bool ok = writeAll(fd, "TOVDUMP1", 8);
    int32_t head[4] = {1, g_dumpMode, fault.signal, fault.code};
    uint64_t where[2] = {uint64_t(fault.address), uint64_t(fault.pc)};
    ok = ok && writeAll(fd, head, sizeof head) && writeAll(fd, where, sizeof where);
    if (fault.context) ok = ok && writeSection(fd, 1, 0, fault.context, sizeof(ucontext_t), false);
    ok = ok && writeSection(fd, 2, 0, g_mapsText, g_mapsTextSize, false);
    uintptr_t sp = contextSp(fault.context);
    if (sp) {
        const Mapping* m = findMapping(sp);
        uintptr_t top = m ? m->end : sp;
        uintptr_t from = sp >= 128 && m && sp - 128 >= m->start ? sp - 128 : sp;
        uint64_t size = top > from ? top - from : 0;
        if (size > 256 * 1024) size = 256 * 1024;
        ok = ok && writeSection(fd, 3, from, reinterpret_cast<const void*>(from), size, true);
    }
    if (g_dumpMode != 0 && g_dumpMode != 1) {
        uint64_t budget = 64u << 20;
        for (int i = 0; i < g_mappingCount && ok; ++i) {
            const Mapping& m = g_mappings[i];
            if (!m.write || std::strcmp(m.path, g_exePath) != 0) continue;
            uint64_t size = m.end - m.start;
            if (size > budget) break;
            budget -= size;
            ok = writeSection(fd, 4, m.start, reinterpret_cast<const void*>(m.start), size, true);
        }
    }
    ::close(fd);
    return ok ? 0 : 5;
}

void startHelper(int frameCount) {
    int a = 0;
    g_helperArgs[a++] = g_exePath;
    g_helperArgs[a++] = detail::kHelperMarker;
    g_helperArgs[a++] = g_reportName;
    g_helperArgs[a++] = g_dumpName;
    g_helperArgs[a++] = g_showMessage ? "1" : "0";
    g_helperArgs[a++] = g_address;
    g_helperArgs[a++] = g_format;
    for (int i = 0; i < frameCount; ++i) {
        const char* path = modulePath(g_reportFrames[i]);
        g_helperArgs[a++] = path ? path : "";
        g_helperArgs[a++] = fileOffsetText(g_reportFrames[i], g_offsets[i]);
    }
    g_helperArgs[a] = nullptr;

    // A raw fork: no atfork handlers, which may take locks the faulting thread holds.
    long pid = ::syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
    if (pid < 0) return;
    if (pid == 0) {
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve("/proc/self/exe", const_cast<char* const*>(g_helperArgs), environ);
        ::_exit(127);
    }
    // The helper names symbols and tells the user; wait for it, but not forever.
    for (int i = 0; i < 2000; ++i) {
        int status = 0;
        long r = ::waitpid(pid_t(pid), &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) return;
        struct timespec ts{0, 10 * 1000 * 1000};
        ::nanosleep(&ts, nullptr);
    }
}

}  // namespace

int writeReport(const Fault& fault) {
    struct timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    Text report{g_reportName, sizeof g_reportName};
    report.add(g_prefix);
    report.dec(now.tv_sec);
    report.add(".");
    report.add(g_extension);
    Text dump{g_dumpName, sizeof g_dumpName};
    dump.add(g_prefix);
    dump.dec(now.tv_sec);
    dump.add(".dmp");

    if (g_dumpMode != 0) writeDump(g_dumpName, fault);

    int frameCount = collectFrames(fault, g_reportFrames);
    uint16_t cs = contextCs(fault.context);

    Text text{g_reportText, sizeof g_reportText};
    // The fault line and each frame line are limited to 1024 bytes.
    char line[1024];
    Text fl{line, sizeof line};
    fl.add(g_exeBase);
    fl.add(" caused an ");
    fl.add(fault.exceptionName);
    fl.add(" in module ");
    appendModule(fl, fault.pc);
    fl.add(" at ");
    fl.hex(cs, 4);
    fl.add(":");
    fl.hex(fault.pc, 16);
    text.add(line);
    text.add("\n");
    appendRegisters(text, fault.context);
    text.add("\n");
    for (int i = 0; i < frameCount; ++i) {
        Text fr{line, sizeof line};
        fr.hex(cs, 4);
        fr.add(":");
        fr.hex(g_reportFrames[i], 16);
        fr.add(" ");
        appendModule(fr, g_reportFrames[i]);
        text.add(line);
        text.add("\n");
    }
    int fd = openForWrite(g_reportName);
    if (fd >= 0) {
        writeAll(fd, g_reportText, text.size);
        ::close(fd);
    }
    startHelper(frameCount);
    return 0;
}

}  // namespace platform::crash
