#include "graphics/resource_mgr.h"

#include <gtest/gtest.h>

namespace {

struct Probe : Resource {
    explicit Probe(const std::string& name) : Resource(name) {}
    void load(bool, int) override {
        loaded = true;
        ++loads;
    }
    void unload() override {
        loaded = false;
        ++unloads;
    }
    int loads = 0;
    int unloads = 0;
};

using ProbePtr = SharedPtr<Probe>;

struct Registry : ResourceMgr<Probe> {
    ProbePtr make(const std::string& name) {
        ProbePtr p(new Probe(name));
        add(p, name);
        return p;
    }
};

}  // namespace

TEST(ResourceMgr, NamesMatchInAnyCaseAndKeepTheFirstCase) {
    Registry r;
    ProbePtr a = r.make("Title.DDS");
    EXPECT_EQ(r.find("title.dds").get(), a.get());
    EXPECT_EQ(r.find("TITLE.dds").get(), a.get());
    EXPECT_EQ(a->name, "Title.DDS");
    EXPECT_TRUE(r.find("").isNull());
    EXPECT_TRUE(r.find("other").isNull());
}

TEST(ResourceMgr, IdsCountUpFromOneAndAreNeverReused) {
    Registry r;
    ProbePtr a = r.make("a"), b = r.make("b");
    EXPECT_EQ(a->id, 1u);
    EXPECT_EQ(b->id, 2u);
    r.remove(a);
    ProbePtr c = r.make("a");  // the same name again
    EXPECT_EQ(c->id, 3u);
    EXPECT_TRUE(r.findById(1).isNull());
    EXPECT_EQ(r.findById(3).get(), c.get());
    r.clear();
    EXPECT_EQ(r.make("d")->id, 4u);
}

TEST(ResourceMgr, ADuplicateAddKeepsTheFirst) {
    Registry r;
    ProbePtr first = r.make("font");
    ProbePtr second = r.make("FONT");
    EXPECT_EQ(r.find("font").get(), first.get());
    EXPECT_EQ(second->id, 0u);
    EXPECT_EQ(r.peekNextId(), 2u);
    EXPECT_EQ(r.count(), 1u);
    // Removing the unregistered namesake leaves the registered one alone.
    r.remove(second);
    EXPECT_EQ(r.find("font").get(), first.get());
    EXPECT_EQ(r.findById(1).get(), first.get());
}

TEST(ResourceMgr, RemovingAHeldResourceUnloadsItAndTheHolderKeepsIt) {
    Registry r;
    ProbePtr held = r.make("held");
    held->load(true, 0);
    EXPECT_EQ(held.useCount(), 3);  // the holder and the registry's two entries
    r.remove(held);
    EXPECT_EQ(held.useCount(), 1);
    EXPECT_FALSE(held->loaded);
    EXPECT_EQ(held->unloads, 1);
    EXPECT_TRUE(r.find("held").isNull());
}

TEST(ResourceMgr, UnusedMeansHeldByTheRegistryAlone) {
    Registry r;
    ProbePtr kept = r.make("kept");
    r.make("loose")->load(true, 0);
    kept->load(true, 0);
    r.unloadUnused();
    EXPECT_TRUE(kept->loaded);
    EXPECT_FALSE(r.find("loose")->loaded);
    r.removeUnused();
    EXPECT_EQ(r.count(), 1u);
    EXPECT_TRUE(r.find("loose").isNull());
    EXPECT_TRUE(r.findById(2).isNull());
    EXPECT_EQ(r.find("kept").get(), kept.get());

    r.make("other")->ensureLoaded();
    EXPECT_EQ(r.find("other")->loads, 1);
    r.find("other")->ensureLoaded();  // already loaded: no second load
    EXPECT_EQ(r.find("other")->loads, 1);
    r.unloadAll();
    EXPECT_FALSE(kept->loaded);
    EXPECT_EQ(kept->unloads, 1);
    r.clear();
    EXPECT_EQ(r.count(), 0u);
    EXPECT_EQ(kept.useCount(), 1);
}
