// A whole review over a read-only copy of the demo works: scan, every work
// visited, every recording started and stopped, the coordinator's export.
// Afterwards every file and folder must be as it was, bytes and times, and
// nothing may have been created. The times are set so that reading alone
// would not move an access time (it lies after the change time), which makes
// any access-time change a real write.
#include "app/T_main.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "app/DirectoryEdit.h"
#include "app/MessageBoxes.h"
#include "catalogue/WorkExport.h"
#include "catalogue/WorkList.h"
#include "memtable/TqvrMemTable.h"
#include "ScanTestSupport.h"

namespace {

struct EntryState {
    mode_t mode = 0;
    off_t size = 0;
    timespec atime{}, mtime{}, ctime{};
    std::string bytes;

    bool operator==(const EntryState& o) const {
        auto same = [](const timespec& a, const timespec& b) {
            return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
        };
        return mode == o.mode && size == o.size && same(atime, o.atime) && same(mtime, o.mtime) &&
               same(ctime, o.ctime) && bytes == o.bytes;
    }
};

// Reads without touching the access time itself (O_NOATIME: owner or root).
std::string ReadQuietly(const std::string& path) {
    std::string bytes;
    const int fd = open(path.c_str(), O_RDONLY | O_NOATIME | O_CLOEXEC);
    if (fd < 0) return "<unreadable>";
    char buf[8192];
    for (ssize_t got; (got = read(fd, buf, sizeof buf)) > 0;)
        bytes.append(buf, static_cast<std::size_t>(got));
    close(fd);
    return bytes;
}

std::map<std::string, EntryState> Snapshot(const std::string& root) {
    std::map<std::string, EntryState> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        struct stat st {};
        lstat(entry.path().c_str(), &st);
        EntryState s;
        s.mode = st.st_mode;
        s.size = st.st_size;
        s.atime = st.st_atim;
        s.mtime = st.st_mtim;
        s.ctime = st.st_ctim;
        if (S_ISREG(st.st_mode)) s.bytes = ReadQuietly(entry.path());
        entries[entry.path().string()] = s;
    }
    return entries;
}

TEST(ScanReview, AFullReviewOfAReadOnlyTreeChangesNothing) {
    scantest::DemoCopy demo;
    const timespec now = [] {
        timespec t{};
        clock_gettime(CLOCK_REALTIME, &t);
        return t;
    }();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(demo.Root())) {
        const timespec times[2] = {{now.tv_sec + 3600, 0}, {now.tv_sec - 86400, 0}};
        utimensat(AT_FDCWD, entry.path().c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(demo.Root()))
        chmod(entry.path().c_str(), entry.is_directory() ? 0555 : 0444);
    chmod(demo.Root().c_str(), 0555);
    const auto before = Snapshot(demo.Root());
    ASSERT_EQ(before.size(), 20u); // 3 folders, 17 files

    scanning = false;
    matchedFiles = 0;
    MessageBoxes::SetCloseAtOnce(true); // every box is answered at once
    {
        T_main window;
        window.show();
        window.DirectoryEdit1->setText(QString::fromStdString(demo.Root()));
        window.Button1Click(window.Button1);
        ASSERT_EQ(window.tblWork->RecordTotal(), 5);
        window.tblWork->GoFirst();
        do {
            window.Button3Click(window.Button3);
            window.btnStopClick(window.btnStop);
            window.Button4Click(window.Button4);
            QCoreApplication::processEvents();
            window.btnStopClick(window.btnStop);
        } while (window.tblWork->StepBy(1) == 1);

        TqvrMemTable tblWork("tblWork");
        zenor::ConfigureWorkTable(tblWork);
        zenor::ScanWorks(demo.Root(), tblWork);
        EXPECT_EQ(zenor::ExportRows(tblWork).size(), 5u);
    }
    MessageBoxes::SetCloseAtOnce(false);
    scanning = false;
    matchedFiles = 0;

    const auto after = Snapshot(demo.Root());
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [path, state] : before) {
        const auto it = after.find(path);
        ASSERT_NE(it, after.end()) << path << " is gone";
        EXPECT_TRUE(it->second == state) << path << " changed";
    }
}

} // namespace
