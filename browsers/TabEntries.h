#pragma once

#include <QByteArrayView>

#include <utility>
#include <vector>

// The navigation entries of one tab by their index, as a session file's records leave them: an
// entry set at an index, or a run of indexes removed and every later entry moved down to close
// the gap. Each entry is the record that set it, a view into the file's bytes, which must
// outlive it. Each operation takes O(log n) time on average, whatever the records and their order
// (a treap with unpredictable priorities whose nodes carry a pending move for their subtree),
// so a file of many prunes costs no more than its length.
class TabEntries final {
  public:
    TabEntries();

    // Sets (or replaces) the entry at index.
    void Set(qint32 index, QByteArrayView record);
    // Removes the entries at from .. from + count - 1 and moves every later one down by count;
    // nothing for a negative from or a count below 1.
    void Prune(qint32 from, qint32 count);
    // The entry at index, or null.
    const QByteArrayView* Find(qint32 index) const;
    // The entry of the highest index, or null when there is none.
    const QByteArrayView* Last() const;
    bool IsEmpty() const { return m_nRoot < 0; }

  private:
    struct Node {
        qint64 key = 0;
        qint64 move = 0; // still to be added to every key below this node
        quint64 priority = 0;
        int left = -1;
        int right = -1;
        QByteArrayView record;
    };

    void Move(int node, qint64 by);
    void PushDown(int node);
    // The subtree as (keys below key, keys from key on).
    std::pair<int, int> Split(int node, qint64 key);
    // One subtree from two whose keys are all below the second's.
    int Merge(int low, int high);
    int NewNode(qint64 key, QByteArrayView record);
    void Release(int node);

    std::vector<Node> m_nodes;
    std::vector<int> m_free;
    int m_nRoot = -1;
    quint64 m_nRandom;
};
