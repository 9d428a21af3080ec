#include <gtest/gtest.h>

#include "core/attr_access.h"
#include "core/attr_xml.h"
#include "tests/support/temp_dir.h"
#include "vfs/vfs_manager.h"

namespace {

const char* kDoc =
    "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n    <object name=\"level\">\n"
    "        <integer name=\"count\" value=\"3\" />\n    </object>\n</root>\n";

TEST(AttrLookup, DocumentsAreFoundInMountedFoldersByBareName) {
    testsupport::TempDir dir;
    testsupport::writeFile("data/levels/Scene1.xml", kDoc);
    {
        VFS::VFSManager vfs;
        vfs.mountFolderRecursive("data", ".svn");
        // Only the mounted file system knows the bare name; the plain file system does not.
        Attr::AttributePtr doc = Attr::loadDocument("scene1.xml");
        ASSERT_TRUE(doc);
        EXPECT_EQ(doc->name(), "level");
    }
    // Without the manager the bare name is unknown again.
    EXPECT_FALSE(Attr::loadDocument("scene1.xml"));
}

}  // namespace
