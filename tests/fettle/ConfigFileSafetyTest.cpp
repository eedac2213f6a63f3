#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ScriptedDialogs.h"
#include "TestUtil.h"
#include "modkit/core/Error.h"
#include "shell/ConfigFunctions.h"

// A FIFO or folder in place of the file: reported at once as unreadable, never waited on, never replaced.
TEST(ConfigFileSafety, FifoOrFolderInPlaceOfTheFile) {
    for (bool fifo : {true, false}) {
        testutil::TempDir dir;
        const std::string path = dir.file("fettle.xml");
        fifo ? ::mkfifo(path.c_str(), 0644) : ::mkdir(path.c_str(), 0755);
        fettle::ConfigFunctions c;
        testutil::ScriptedDialogs d;
        c.loadConfiguration(path, d);
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].text, "Failed to load config.xml file, a new config.xml will be created");
        EXPECT_THROW(c.saveConfiguration(), modkit::Error);
        EXPECT_EQ(std::filesystem::is_fifo(path), fifo);
    }
}
