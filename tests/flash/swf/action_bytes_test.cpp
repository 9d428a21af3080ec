// Action records taken as raw bytes: up to and including the End code, payloads whose bytes may be
// 0, the limit, and records cut by the end of the data.
#include "flash/swf/action_bytes.h"

#include <gtest/gtest.h>

#include "swf_bytes.h"
#include "swf_fixture.h"

namespace {

using namespace swftest;

TEST(ActionBytes, TakenUpToTheEndCodeOrTheLimit) {
    struct row {
        const char* what;
        bytes data;
        int limit;
        bytes expected;
        bool overrun;
    };
    const row rows[] = {
        {"stop, end, then more", {0x07, 0x00, 0x06}, 3, {0x07, 0x00}, false},
        // A Push of two zero bytes: zeros inside a payload are no End code.
        {"payload of zeros", {0x96, 0x02, 0x00, 0x00, 0x00, 0x00, 0x07}, 7, {0x96, 0x02, 0x00, 0x00, 0x00, 0x00}, false},
        {"a payload of length 0", {0x96, 0x00, 0x00, 0x07, 0x00}, 5, {0x96, 0x00, 0x00, 0x07, 0x00}, false},
        {"no End code within the limit", {0x07, 0x06, 0x00}, 2, {0x07, 0x06}, false},
        {"the limit inside a payload", {0x96, 0x04, 0x00, 0x01, 0x02}, 4, {0x96, 0x04, 0x00, 0x01}, false},
        {"nothing allowed", {0x07, 0x00}, 0, {}, false},
        // Past the data: the payload reads zeros, and the next zero code ends the actions.
        {"cut by the end", {0x96, 0x05, 0x00, 0x01}, 20, {0x96, 0x05, 0x00, 0x01, 0, 0, 0, 0, 0}, true},
    };
    for (const row& r : rows) {
        stream_over s(r.data);
        bytes out = {0xEE};  // appended to, not replaced
        const int taken = flash::read_action_bytes(&s.in, r.limit, &out);
        EXPECT_EQ(taken, static_cast<int>(r.expected.size())) << r.what;
        EXPECT_EQ(out, bytes{0xEE} + r.expected) << r.what;
        EXPECT_EQ(s.in.has_overrun(), r.overrun) << r.what;
        if (!r.overrun) {
            EXPECT_EQ(s.in.get_position(), taken) << r.what;
        }
    }
}

}  // namespace
