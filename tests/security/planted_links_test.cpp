// Links planted where the library writes, copies, moves or removes its files,
// each naming a victim outside the log folder. Whatever happens to the lines,
// the victim keeps its bytes, still exists, and its content never shows up
// in a file the library made.
#include "api/api_fixture.h"

#include <iterator>
#include <system_error>
#include <utility>

namespace vzv::test {
namespace {

using PlantedLinkTest = ApiTest;
enum class Plant { SymbolicLink, HardLink, Fifo };
enum class Place { LogPath, RotatedName, StartupName, PreviousFile };

// Links to a victim at each place, and a FIFO at the log path; a folder each,
// in one process: every row starts from a fresh p0.log holding "in P0" as the
// previous file. Only the last component is guarded: the folders lie under a
// linked one, where the system allows it.
TEST_F(PlantedLinkTest, PlantByPlace) {
    const std::pair<Plant, Place> rows[] = {
        {Plant::SymbolicLink, Place::LogPath},      {Plant::HardLink, Place::LogPath},
        {Plant::SymbolicLink, Place::RotatedName},  {Plant::HardLink, Place::RotatedName},
        {Plant::SymbolicLink, Place::StartupName},  {Plant::HardLink, Place::StartupName},
        {Plant::SymbolicLink, Place::PreviousFile}, {Plant::HardLink, Place::PreviousFile},
        {Plant::Fifo, Place::LogPath}};
    const std::string victimBytes = "victim: not the library's to touch\n";
    const fs::path victim = root / "victim.dat";  // outside every log folder
    WriteBytes(victim, victimBytes);
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    fs::create_directories(root / "real");
    const fs::path base = MakeSymbolicLink(root / "real", root / "linked", true) ? root / "linked"
                                                                                : root / "real";
    for (std::size_t row = 0; row < std::size(rows); ++row) {
        const auto [plant, place] = rows[row];
        SCOPED_TRACE(row);
        const fs::path logs = base / std::to_string(row);
        const fs::path log = logs / "app.log", p0 = logs / "p0.log";
        // The last row's start-up log moves beside p0.log and goes; then
        // nothing moves, and p0.log is the previous file.
        Log::SetLogPath(Wide(p0).c_str());
        fs::remove(logs / "p0.startup.log");
        Log::SetLogPath(Wide(p0).c_str());
        Log::Error("in P0");
#ifndef _WIN32
        // Fresh files are readable by others and writable by the owner only.
        EXPECT_EQ(fs::status(p0).permissions() & (fs::perms::owner_all | fs::perms::group_write |
                                                  fs::perms::others_write),
                  fs::perms::owner_read | fs::perms::owner_write);
#endif
        if (place == Place::RotatedName) Prefill(log, 52428800 + 2);  // over the cap
        if (place == Place::PreviousFile) {
            Log::SetLogPath(Wide(logs / "first.log").c_str());  // p0 to first.startup.log
            fs::remove(logs / "first.startup.log");
        }
        const fs::path planted = place == Place::LogPath       ? log
                                 : place == Place::RotatedName ? logs / "app.log_old"
                                 : place == Place::StartupName ? logs / "app.startup.log"
                                                               : logs / "first.startup.log";
        std::error_code error;
        if (plant == Plant::SymbolicLink && !MakeSymbolicLink(victim, planted))
            continue;  // not on this system
        if (plant == Plant::HardLink) fs::create_hard_link(victim, planted, error);
        ASSERT_FALSE(error) << "hard links cannot be made here";
        // A FIFO must neither block the caller nor take lines; Windows has none.
        if (plant == Plant::Fifo && !MakeFifo(planted)) continue;
        Log::SetLogPath(Wide(log).c_str());
        for (int i = 0; i < 60; ++i) Log::Information("line %d", i);
        EXPECT_TRUE(fs::exists(fs::symlink_status(planted))) << "not ours to remove";

        if (place == Place::LogPath) {  // lines dropped; logging goes on at the next path
            Log::SetLogPath(Wide(logs / "other.log").c_str());
            Log::Error("after");
            EXPECT_EQ(LogLines(logs / "other.log"), Lines{"1:after"});
        } else {
            // Lines in the log, fresh after the rotation, or beside it where
            // the rotated name stays a link (Windows keeps an existing name).
            const fs::path beside = logs / "app_.log";
            const Lines lines = LogLines(fs::exists(beside) ? beside : log);
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.front(),
                      place == Place::RotatedName ? "0:Runtime Log continue" : "2:line 0");
            EXPECT_EQ(lines.back(), "2:line 59");
        }
        // The victim is not written, not removed, and not copied.
        EXPECT_EQ(ReadBytes(victim), victimBytes);
        for (const auto& entry : fs::directory_iterator(logs)) {
            if (entry.is_regular_file() && !fs::equivalent(entry.path(), victim, error)) {
                EXPECT_EQ(ReadBytes(entry.path()).find(victimBytes), std::string::npos)
                    << entry.path();
            }
        }
    }
}

}  // namespace
}  // namespace vzv::test
