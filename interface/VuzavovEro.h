// Brivant.Service.VuzavovEro: one simple, durable text log for the programs
// that load this library.
//
// Every line goes to one UTF-16LE log file as
//     "<thread> | yy.mm.dd hh:mm:ss.mmm |<level>| <text>" CR LF
// By default the file is "%PROGRAMDATA%\Brivant\Licensing\VuzavovEro_<local
// time>.log". Logging starts switched off (level 0): set a level, or log an
// Error, which switches logging on at the Error level by itself. Above
// 52,428,800 bytes the file moves aside to "<path>_old" and starts afresh.
//
// Formats follow the printf rules of the Universal C Runtime of current
// Windows on every platform, with its traditional wide-character rule: in the
// narrow methods %s and %c take char text and %S and %C wchar_t text; in the
// wide methods the reverse. All its size prefixes and %F are understood;
// exponents have at least two digits, infinities and NaNs print as "inf",
// "nan" and "-nan(ind)", halfway cases round to even. Narrow text is UTF-8.
// A message longer than its buffer is cut silently, and its text ends at its
// first NUL. A call with a null format logs nothing; a format the runtime
// would refuse is logged as its own text: neither ends the process.
//
// A marker file "CppLogger.json" in "%PROGRAMDATA%\Brivant\LOG.Expert\" turns
// on expert mode: level 4, the log in that folder, and client changes of level
// and path ignored.
//
// Every function may be called from any thread.
#ifndef BRIVANT_SERVICE_VUZAVOVERO_H
#define BRIVANT_SERVICE_VUZAVOVERO_H

#include <cstdint>
#include <string>

namespace vzv {
struct LogCppCallAccess;  // the library's own entry points into LogCppCall
}

#if defined(_WIN32)
#  if defined(VUZAVOVERO_BUILDING)
#    define VUZAVOVERO_API __declspec(dllexport)
#  else
#    define VUZAVOVERO_API __declspec(dllimport)
#  endif
#else
#  define VUZAVOVERO_API __attribute__((visibility("default")))
#endif

namespace Brivant {
namespace Service {

class VUZAVOVERO_API VuzavovEro {
public:
    // A message passes when its level is at most the current level.
    enum eLOGLEVEL : int {
        LOGLEVEL_OFF = 0,      // nothing but errors, which switch logging on
        LOGLEVEL_ERROR = 1,
        LOGLEVEL_INFO = 2,
        LOGLEVEL_DEBUG = 3,
        LOGLEVEL_VERBOSE = 4,  // everything
    };

    // Log one message at level 1 (Error) and switch logging on when it is
    // off. Up to 2047 characters are kept.
    static void Error(const char* format, ...);
    static void Error(const wchar_t* format, ...);
    // Level 2; up to 2047 characters.
    static void Information(const char* format, ...);
    static void Information(const wchar_t* format, ...);
    // Level 3; up to 16383 characters.
    static void Debug(const char* format, ...);
    static void Debug(const wchar_t* format, ...);
    // Level 4; up to 16383 characters.
    static void Verbose(const char* format, ...);
    static void Verbose(const wchar_t* format, ...);

    // The level the client last set (0 before any; 4 in expert mode). An
    // Error that switched logging on by itself does not change it.
    static eLOGLEVEL GetLogLevel();
    // Values above 4 act as 4; a negative value drops every message.
    static void SetLogLevel(eLOGLEVEL level);
    // The configured log path, owned by the library; valid until the path
    // next changes. A time-stamped default is built on first need.
    static const wchar_t* GetLogPath();
    // Moves the log to `path` (created with its folders as needed). What was
    // logged so far moves beside it as "<name>.startup.log". A path that ends
    // with a separator means: the default file name, time-stamped.
    static void SetLogPath(const wchar_t* path);

    VuzavovEro() = default;
    VuzavovEro(const VuzavovEro&) = default;
    // Assignment does nothing: the class has no state.
    VuzavovEro& operator=(const VuzavovEro&);
    VuzavovEro& operator=(VuzavovEro&&);

    // Logs "--> <text> -- start" when built and "<-- <text> -- ended (<n>ms)"
    // when destroyed, both at level 2, while the level is Information or
    // more detailed. Place one at the top of a scope to trace it.
    class VUZAVOVERO_API LogCppCall {
    public:
        explicit LogCppCall(char* format, ...);
        explicit LogCppCall(wchar_t* format, ...);
        // The same for string literals and other constant texts.
        explicit LogCppCall(const char* format, ...);
        explicit LogCppCall(const wchar_t* format, ...);
        ~LogCppCall();
        LogCppCall(const LogCppCall&) = delete;
        LogCppCall& operator=(const LogCppCall&) = delete;

    private:
        friend struct ::vzv::LogCppCallAccess;
        LogCppCall() noexcept;  // idle

        // The layout is shared with the library: four fields, in this order.
        std::wstring m_wsText;
        std::string m_sText;
        bool m_bWide;
        std::int64_t m_tStart;  // steady clock, nanoseconds
    };
};

}  // namespace Service
}  // namespace Brivant

extern "C" {
// Whether expert mode is on. It is decided on the first call of any other
// function, so this reads false before that.
VUZAVOVERO_API bool IsExpertMode();
// As VuzavovEro::SetLogPath; false on failure (or a null path), true when
// accepted or ignored in expert mode.
VUZAVOVERO_API bool SetLogFilePath(const wchar_t* path);
// As VuzavovEro::SetLogLevel; false on failure.
VUZAVOVERO_API bool SetLogLevel(std::int32_t level);
// Kept for compatibility: always 0, it does not follow the level.
VUZAVOVERO_API extern std::int32_t LoggerLevel;
}

#endif  // BRIVANT_SERVICE_VUZAVOVERO_H
