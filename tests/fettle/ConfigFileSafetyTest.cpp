#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ScriptedDialogs.h"
#include "TestUtil.h"
#include "modkit/core/Error.h"
#include "shell/ConfigFunctions.h"

// A FIFO or folder where the configuration belongs is reported at once as a
// file that cannot be read, never waited on, and is not replaced at exit.
TEST(ConfigFileSafety, FifoOrFolderInPlaceOfTheFile) {
    for (bool fifo : {true, false}) {
        testutil::TempDir dir;
        const std::string path = dir.file("fettle.xml");
        if (fifo) ::mkfifo(path.c_str(), 0644);
        else std::filesystem::create_directory(path);
        fettle::ConfigFunctions c;
        testutil::ScriptedDialogs d;
        c.loadConfiguration(path, d);
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].text, "Failed to load config.xml file, a new config.xml will be created");
        try {
            c.saveConfiguration();
            ADD_FAILURE() << "saved over " << path;
        } catch (const modkit::Error& e) {
            EXPECT_EQ(e.number(), modkit::err::PathFileAccess);
        }
        EXPECT_EQ(std::filesystem::is_fifo(path), fifo);
    }
}
