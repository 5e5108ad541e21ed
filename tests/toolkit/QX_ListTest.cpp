#include "toolkit/QX_List.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (its header is not installed with the compiler here).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

// Bytes the process holds from the heap right now.
size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

int* NewInt(int value) {
    auto* item = static_cast<int*>(QX_List::AllocItem(sizeof(int)));
    *item = value;
    return item;
}

int ValueAt(const QX_List& list, int index) {
    return *static_cast<int*>(list.GetAt(index));
}

// Walks the links: their number must match the count and the last one must be the tail
// (checked by appending and finding the new item at the end).
void ExpectConsistent(QX_List& list, std::initializer_list<int> values) {
    ASSERT_EQ(list.GetCount(), int(values.size()));
    int links = 0;
    for (QX_List::Node* n = list.Head(); n; n = n->next)
        ++links;
    EXPECT_EQ(links, list.GetCount());
    int i = 0;
    for (int v : values)
        EXPECT_EQ(ValueAt(list, i++), v);
    ASSERT_TRUE(list.Add(NewInt(99)));
    EXPECT_EQ(ValueAt(list, list.GetCount() - 1), 99);
    std::free(list.GetAt(list.GetCount() - 1));
    ASSERT_TRUE(list.RemoveAt(list.GetCount() - 1));
}

TEST(QX_List, KeepsOrderAndTreatsOutOfRangeIndexesAsAbsent) {
    QX_List list;
    EXPECT_EQ(list.GetAt(0), nullptr);
    EXPECT_FALSE(list.RemoveAt(0));
    for (int v : {10, 20, 30})
        ASSERT_TRUE(list.Add(NewInt(v)));
    ExpectConsistent(list, {10, 20, 30});
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.GetAt(3), nullptr);
    EXPECT_FALSE(list.RemoveAt(-1));
    EXPECT_FALSE(list.RemoveAt(3));
    EXPECT_EQ(list.GetCount(), 3);
}

class ListRemoveAt : public ::testing::TestWithParam<int> {};

// Removing the head, a middle link or the tail keeps the other items in order, the tail
// pointer right, and hands the removed item back to the caller intact.
TEST_P(ListRemoveAt, UnlinksOnlyThatLinkAndKeepsItsItem) {
    const int index = GetParam();
    QX_List list;
    int* items[3] = {NewInt(1), NewInt(2), NewInt(3)};
    for (int* item : items)
        ASSERT_TRUE(list.Add(item));
    ASSERT_TRUE(list.RemoveAt(index));
    EXPECT_EQ(*items[index], index + 1);
    *items[index] = 42; // still the caller's storage
    std::free(items[index]);
    if (index == 0)
        ExpectConsistent(list, {2, 3});
    else if (index == 1)
        ExpectConsistent(list, {1, 3});
    else
        ExpectConsistent(list, {1, 2});
}

INSTANTIATE_TEST_SUITE_P(Positions, ListRemoveAt, ::testing::Values(0, 1, 2));

TEST(QX_List, RemoveNodeTellsEmptyNotFoundAndRemoved) {
    QX_List list;
    QX_List::Node stranger;
    EXPECT_EQ(list.RemoveNode(&stranger), 0);
    EXPECT_EQ(list.RemoveNode(nullptr), 0);
    int* a = NewInt(1);
    int* b = NewInt(2);
    ASSERT_TRUE(list.Add(a));
    ASSERT_TRUE(list.Add(b));
    EXPECT_EQ(list.RemoveNode(&stranger), 255);
    EXPECT_EQ(list.RemoveNode(nullptr), 255);
    EXPECT_EQ(list.GetCount(), 2);

    QX_List other;
    ASSERT_TRUE(other.Add(QX_List::AllocItem(4)));
    EXPECT_EQ(list.RemoveNode(other.Head()), 255); // a link of another list is not ours
    EXPECT_EQ(other.GetCount(), 1);

    QX_List::Node* tail = list.Head()->next;
    EXPECT_EQ(list.RemoveNode(tail), 1);
    ExpectConsistent(list, {1});
    EXPECT_EQ(list.RemoveNode(list.Head()), 1);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.Head(), nullptr);
    EXPECT_EQ(list.RemoveNode(&stranger), 0);
    ASSERT_TRUE(list.Add(NewInt(7))); // head and tail were both reset
    ExpectConsistent(list, {7});
    std::free(a);
    std::free(b);
}

TEST(QX_List, RemoveAllKeepsItemsAndLeavesAUsableList) {
    QX_List list;
    int* a = NewInt(5);
    int* b = NewInt(6);
    list.Add(a);
    list.Add(b);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.Head(), nullptr);
    EXPECT_EQ(*a + *b, 11);
    ASSERT_TRUE(list.Add(a));
    ExpectConsistent(list, {5});
    std::free(b); // a is the list's again and goes with it
}

TEST(QX_List, DestructionFreesTheItemsStillLinked) {
    constexpr size_t itemBytes = 64 * 1024;
    const size_t before = HeapInUse();
    {
        QX_List list;
        for (int i = 0; i < 32; ++i)
            ASSERT_TRUE(list.Add(QX_List::AllocItem(itemBytes)));
        int* kept = static_cast<int*>(list.GetAt(0));
        ASSERT_TRUE(list.RemoveAt(0));
        std::free(kept);
        EXPECT_GE(HeapInUse(), before + 31 * itemBytes);
    }
    // Two megabytes were linked; what is left over is a small fraction of one item.
    EXPECT_LT(HeapInUse(), before + itemBytes / 2);
}

TEST(QX_List, AddCopyStoresAnIndependentWholeRecord) {
    QX_MsgLine line;
    line.gap = 0;
    std::memset(line.text, 'A', 127);
    line.text[127] = '\0';
    line.color = 0x000080;
    QX_List list;
    ASSERT_TRUE(list.AddCopy(&line));
    line.text[0] = 'B';
    line.color = 0;
    line.gap = 1;
    ASSERT_TRUE(list.AddCopy(&line));
    EXPECT_FALSE(list.AddCopy(nullptr));
    ASSERT_EQ(list.GetCount(), 2);
    const auto* first = static_cast<const QX_MsgLine*>(list.GetAt(0));
    const auto* second = static_cast<const QX_MsgLine*>(list.GetAt(1));
    ASSERT_NE(first, &line);
    EXPECT_EQ(first->gap, 0);
    EXPECT_EQ(first->color, COLORREF(0x000080));
    EXPECT_EQ(std::strlen(first->text), 127u);
    EXPECT_EQ(first->text[0], 'A');
    EXPECT_EQ(second->gap, 1);
    EXPECT_EQ(second->text[0], 'B');
}

TEST(QX_List, AllocItemIsZeroFilled) {
    auto* bytes = static_cast<unsigned char*>(QX_List::AllocItem(300));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    std::free(bytes);
    void* none = QX_List::AllocItem(0);
    EXPECT_NE(none, nullptr);
    std::free(none);
}

} // namespace
