#include "formats/message_kinds.h"

#include <gtest/gtest.h>

TEST(MessageKinds, KnownLengths) {
    EXPECT_EQ(classify_message(1566), MessageKind::sample_buffer);
    EXPECT_EQ(classify_message(7), MessageKind::end_connected);
    EXPECT_EQ(classify_message(8), MessageKind::end_connected);
    EXPECT_EQ(classify_message(2563), MessageKind::upload_image);
    EXPECT_EQ(classify_message(2666), MessageKind::upload_table);
    EXPECT_EQ(classify_message(16048), MessageKind::memory_dump);
    EXPECT_EQ(classify_message(1442), MessageKind::session_result);
    EXPECT_EQ(classify_message(20), MessageKind::sample_request);
}

TEST(MessageKinds, NeighbouringLengthsAreIgnored) {
    // Two messages run together, a byte lost or a stray byte give lengths of no kind.
    for (std::size_t length : {0u, 1u, 6u, 9u, 19u, 21u, 1441u, 1443u, 1565u, 1567u, 2562u, 2564u,
                               2665u, 2667u, 16047u, 16049u, 17000u})
        EXPECT_EQ(classify_message(length), MessageKind::ignored) << length;
}

TEST(ReceiveBuffer, RoomUpToItsSize) {
    EXPECT_TRUE(receive_buffer_has_room(0));
    EXPECT_TRUE(receive_buffer_has_room(receive_buffer_size - 1));
    EXPECT_FALSE(receive_buffer_has_room(receive_buffer_size));
    EXPECT_FALSE(receive_buffer_has_room(receive_buffer_size + 1));
}
