#include "browsers/TabEntries.h"

#include <QRandomGenerator>

// Priorities a file cannot predict: a file that knew them could choose indexes that make the
// tree a chain, and every operation as slow as a walk through all entries.
TabEntries::TabEntries() : m_nRandom(QRandomGenerator::global()->generate64() | 1) {}

void TabEntries::Set(qint32 index, QByteArrayView record) {
    const auto [low, rest] = Split(m_nRoot, index);
    auto [same, high] = Split(rest, qint64(index) + 1);
    if (same >= 0)
        m_nodes[size_t(same)].record = record;
    else
        same = NewNode(index, record);
    m_nRoot = Merge(Merge(low, same), high);
}

void TabEntries::Prune(qint32 from, qint32 count) {
    if (from < 0 || count <= 0)
        return;
    const auto [low, rest] = Split(m_nRoot, from);
    const auto [gone, high] = Split(rest, qint64(from) + count);
    Release(gone);
    Move(high, -qint64(count));
    m_nRoot = Merge(low, high);
}

const QByteArrayView* TabEntries::Find(qint32 index) const {
    qint64 moved = 0; // the moves pending above the node
    for (int n = m_nRoot; n >= 0;) {
        const Node& node = m_nodes[size_t(n)];
        const qint64 key = node.key + moved;
        if (key == index)
            return &node.record;
        moved += node.move;
        n = index < key ? node.left : node.right;
    }
    return nullptr;
}

const QByteArrayView* TabEntries::Last() const {
    int n = m_nRoot;
    while (n >= 0 && m_nodes[size_t(n)].right >= 0)
        n = m_nodes[size_t(n)].right;
    return n < 0 ? nullptr : &m_nodes[size_t(n)].record;
}

void TabEntries::Move(int node, qint64 by) {
    if (node < 0)
        return;
    m_nodes[size_t(node)].key += by;
    m_nodes[size_t(node)].move += by;
}

void TabEntries::PushDown(int node) {
    Node& n = m_nodes[size_t(node)];
    if (n.move == 0)
        return;
    Move(n.left, n.move);
    Move(n.right, n.move);
    n.move = 0;
}

std::pair<int, int> TabEntries::Split(int node, qint64 key) {
    if (node < 0)
        return {-1, -1};
    PushDown(node);
    if (m_nodes[size_t(node)].key < key) {
        const auto [low, high] = Split(m_nodes[size_t(node)].right, key);
        m_nodes[size_t(node)].right = low;
        return {node, high};
    }
    const auto [low, high] = Split(m_nodes[size_t(node)].left, key);
    m_nodes[size_t(node)].left = high;
    return {low, node};
}

int TabEntries::Merge(int low, int high) {
    if (low < 0)
        return high;
    if (high < 0)
        return low;
    if (m_nodes[size_t(low)].priority > m_nodes[size_t(high)].priority) {
        PushDown(low);
        m_nodes[size_t(low)].right = Merge(m_nodes[size_t(low)].right, high);
        return low;
    }
    PushDown(high);
    m_nodes[size_t(high)].left = Merge(low, m_nodes[size_t(high)].left);
    return high;
}

int TabEntries::NewNode(qint64 key, QByteArrayView record) {
    // xorshift64: cheap, and unknown to the file since it starts from a random seed.
    m_nRandom ^= m_nRandom << 13;
    m_nRandom ^= m_nRandom >> 7;
    m_nRandom ^= m_nRandom << 17;
    Node node{key, 0, m_nRandom, -1, -1, record};
    if (!m_free.empty()) {
        const int n = m_free.back();
        m_free.pop_back();
        m_nodes[size_t(n)] = std::move(node);
        return n;
    }
    m_nodes.push_back(std::move(node));
    return int(m_nodes.size() - 1);
}

void TabEntries::Release(int node) {
    // Without recursion: a removed run may hold every entry.
    std::vector<int> pending;
    if (node >= 0)
        pending.push_back(node);
    while (!pending.empty()) {
        Node& n = m_nodes[size_t(pending.back())];
        m_free.push_back(pending.back());
        pending.pop_back();
        if (n.left >= 0)
            pending.push_back(n.left);
        if (n.right >= 0)
            pending.push_back(n.right);
    }
}
