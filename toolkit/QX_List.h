#pragma once

#include "imaging/QX_DIB.h"

// One line of a message box, copied whole into its list (QX_List::AddCopy).
struct QX_MsgLine {
    quint8 gap = 0;      // 0 text line, 1 gap of 4 pixels
    char text[128] = {}; // code page 949 bytes, NUL-terminated, at most 127 bytes
    COLORREF color = 0;
};

// The toolkit's singly linked list of item pointers. The list owns its links; it owns the
// items only at destruction, when it frees their storage (no destructor of theirs runs).
class QX_List {
  public:
    struct Node {
        void* item = nullptr;
        Node* next = nullptr;
    };

    QX_List() = default;
    virtual ~QX_List();
    QX_List(const QX_List&) = delete;
    QX_List& operator=(const QX_List&) = delete;

    // Items must come from std::malloc (or QX_List::AllocItem): the destructor frees them.
    bool Add(void* item);
    bool AddCopy(const QX_MsgLine* line);
    void* GetAt(int index) const;
    int GetCount() const { return m_nCount; }
    bool RemoveAt(int index);
    // 0 list empty, 255 link not found, 1 removed.
    quint8 RemoveNode(Node* node);
    void RemoveAll();
    Node* Head() const { return m_pHead; }

    // Storage for an item the list may free: zero-filled, or null.
    static void* AllocItem(size_t bytes);

  private:
    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    int m_nCount = 0;
};
