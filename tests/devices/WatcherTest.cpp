// The device watcher over real pseudo-terminals: a link that comes to lead
// nowhere is a device that vanished, a link that leads somewhere again is a
// device that returned; each change is reported once.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "comlink/devices/DeviceWatcher.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/Sandbox.h"

namespace brelko {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Change = DeviceWatcher::Change;
using Event = DeviceWatcher::Event;

// Replaces the link in one step, as udev does: made under a hidden name
// beside it, then renamed over it.
void PointLink(const std::string& link, const std::string& target) {
    const fs::path path(link);
    const std::string fresh = (path.parent_path() / ("." + path.filename().string() + ".new")).string();
    fs::remove(fresh);
    fs::create_symlink(target, fresh);
    fs::rename(fresh, link);
}

}  // namespace

void PrintTo(const DeviceWatcher::Change& change, std::ostream* out) {
    *out << (change.event == Event::Vanished ? "vanished " : "returned ") << change.name;
}

namespace {

class WatcherTest : public testing::Test {
protected:
    void SetUp() override {
        first = std::make_unique<test::PtyPair>();
        second = std::make_unique<test::PtyPair>();
        ASSERT_TRUE(first->Ok() && second->Ok());
        PointLink(LinkA(), first->SlavePath());
        PointLink(LinkB(), second->SlavePath());
    }
    DeviceWatcher::Options Polling() const {
        DeviceWatcher::Options options;
        options.byIdFolder = dir.Path();
        options.useUdev = false;
        options.interval = 20ms;
        return options;
    }
    std::string LinkA() const { return dir.File("usb-FTDI_A-if00-port0"); }
    std::string LinkB() const { return dir.File("usb-Prolific_B-if00-port0"); }

    // The changes of the looks within `rounds` intervals.
    static std::vector<Change> Collect(DeviceWatcher& watcher, int rounds) {
        std::vector<Change> all;
        for (int i = 0; i < rounds; ++i)
            for (const Change& c : watcher.Wait(1s)) all.push_back(c);
        return all;
    }
    // Looks until a change comes (or a few seconds have passed).
    static std::vector<Change> NextChanges(DeviceWatcher& watcher) {
        const auto until = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < until)
            if (auto changes = watcher.Wait(1s); !changes.empty()) return changes;
        return {};
    }

    test::TempDir dir;
    std::unique_ptr<test::PtyPair> first;
    std::unique_ptr<test::PtyPair> second;
};

TEST_F(WatcherTest, AnUnpluggedDeviceIsReportedOnceAndItsReturnOnce) {
    DeviceWatcher watcher(Polling());
    EXPECT_EQ(watcher.GetSource(), DeviceWatcher::Source::Polling);
    ASSERT_GE(watcher.Fd(), 0);
    EXPECT_TRUE(watcher.IsPresent(LinkA()));
    EXPECT_TRUE(Collect(watcher, 3).empty()) << "nothing changed";

    // The adapter goes, and udev takes its link away.
    first->CloseMaster();
    fs::remove(LinkA());
    EXPECT_EQ(NextChanges(watcher), (std::vector<Change>{{Event::Vanished, LinkA()}}));
    EXPECT_FALSE(watcher.IsPresent(LinkA()));
    EXPECT_TRUE(watcher.IsPresent(LinkB()));
    EXPECT_TRUE(Collect(watcher, 10).empty()) << "a vanished device is no news twice";

    test::PtyPair third;
    ASSERT_TRUE(third.Ok());
    PointLink(LinkA(), third.SlavePath());  // the same adapter, by its name, on a new node
    EXPECT_EQ(NextChanges(watcher), (std::vector<Change>{{Event::Returned, LinkA()}}));
    EXPECT_TRUE(Collect(watcher, 3).empty());
}

TEST_F(WatcherTest, LinksThatComeAndGoAndWatchedPathsOutsideTheFolder) {
    test::TempDir other;
    const std::string own = other.File("my-line");
    DeviceWatcher::Options options = Polling();
    options.paths = {own};  // not there yet
    DeviceWatcher watcher(options);
    EXPECT_FALSE(watcher.IsPresent(own));

    fs::remove(LinkB());  // udev removes the link with the device
    EXPECT_EQ(NextChanges(watcher), (std::vector<Change>{{Event::Vanished, LinkB()}}));

    const std::string newcomer = dir.File("usb-new-if00");
    PointLink(newcomer, second->SlavePath());
    PointLink(own, second->SlavePath());
    std::vector<Change> changes = NextChanges(watcher);
    if (changes.size() < 2)  // the two links may fall into two looks
        for (const Change& c : NextChanges(watcher)) changes.push_back(c);
    std::vector<Change> expected = {{Event::Returned, own}, {Event::Returned, newcomer}};
    auto byName = [](const Change& a, const Change& b) { return a.name < b.name; };
    std::sort(changes.begin(), changes.end(), byName);
    std::sort(expected.begin(), expected.end(), byName);
    EXPECT_EQ(changes, expected);

    const std::string later = other.File("later");
    watcher.Watch(later);
    EXPECT_FALSE(watcher.IsPresent(later));
    PointLink(later, first->SlavePath());
    EXPECT_EQ(NextChanges(watcher), (std::vector<Change>{{Event::Returned, later}}));
}

// A link whose device node has gone leads nowhere: the device vanished,
// though the link is still there. (A file stands in for the node: a freed
// terminal number may be taken by another program at once.)
TEST_F(WatcherTest, ALinkThatLeadsNowhereIsAVanishedDevice) {
    const std::string node = dir.File(".node");  // hidden: not a name of its own
    std::ofstream(node) << "";
    PointLink(LinkA(), node);
    DeviceWatcher watcher(Polling());
    EXPECT_TRUE(watcher.IsPresent(LinkA()));
    fs::remove(node);
    EXPECT_EQ(NextChanges(watcher), (std::vector<Change>{{Event::Vanished, LinkA()}}));
    EXPECT_TRUE(fs::is_symlink(LinkA()));
    std::ofstream(node) << "";
    EXPECT_EQ(NextChanges(watcher), (std::vector<Change>{{Event::Returned, LinkA()}}));
}

// A device that is gone and back between two looks changed nothing that
// anyone must hear of; one that goes and comes many times is told at most
// once per look.
TEST_F(WatcherTest, FlappingBetweenLooksIsNoFlood) {
    DeviceWatcher::Options options = Polling();
    options.interval = std::chrono::hours(1);  // looks only when asked
    DeviceWatcher watcher(options);
    for (int i = 0; i < 50; ++i) {
        fs::remove(LinkA());
        PointLink(LinkA(), first->SlavePath());
    }
    EXPECT_TRUE(watcher.Process().empty());
    fs::remove(LinkA());
    EXPECT_EQ(watcher.Process(), (std::vector<Change>{{Event::Vanished, LinkA()}}));
    EXPECT_TRUE(watcher.Process().empty());
    // Nothing due: the descriptor is quiet, so an event loop sleeps.
    EXPECT_TRUE(watcher.Wait(50ms).empty());
}

TEST(WatcherSourceTest, UdevOnlyWhereItsDaemonRuns) {
    DeviceWatcher watcher;
    ASSERT_GE(watcher.Fd(), 0);
    struct stat st {};
    const bool daemon = ::stat("/run/udev/control", &st) == 0;
    EXPECT_EQ(watcher.GetSource(), daemon ? DeviceWatcher::Source::Udev : DeviceWatcher::Source::Polling);
    DeviceWatcher::Options options;
    options.useUdev = false;
    EXPECT_EQ(DeviceWatcher(options).GetSource(), DeviceWatcher::Source::Polling);
}

}  // namespace
}  // namespace brelko
