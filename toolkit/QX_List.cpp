#include "toolkit/QX_List.h"

#include <cstdlib>
#include <cstring>
#include <new>

QX_List::~QX_List() {
    Node* node = m_pHead;
    while (node) {
        Node* next = node->next;
        std::free(node->item);
        delete node;
        node = next;
    }
}

bool QX_List::Add(void* item) {
    Node* node = new (std::nothrow) Node;
    if (!node)
        return false;
    node->item = item;
    if (m_pTail)
        m_pTail->next = node;
    else
        m_pHead = node;
    m_pTail = node;
    ++m_nCount;
    return true;
}

bool QX_List::AddCopy(const QX_MsgLine* line) {
    if (!line)
        return false;
    void* copy = std::malloc(sizeof(QX_MsgLine));
    if (!copy)
        return false;
    std::memcpy(copy, line, sizeof(QX_MsgLine));
    if (!Add(copy)) {
        std::free(copy);
        return false;
    }
    return true;
}

void* QX_List::GetAt(int index) const {
    if (index < 0 || index >= m_nCount)
        return nullptr;
    Node* node = m_pHead;
    for (int i = 0; i < index && node; ++i)
        node = node->next;
    return node ? node->item : nullptr;
}

bool QX_List::RemoveAt(int index) {
    if (index < 0 || index >= m_nCount)
        return false;
    Node* node = m_pHead;
    for (int i = 0; i < index && node; ++i)
        node = node->next;
    return node && RemoveNode(node) == 1;
}

quint8 QX_List::RemoveNode(Node* node) {
    if (!m_pHead)
        return 0;
    Node* previous = nullptr;
    Node* current = m_pHead;
    while (current && current != node) {
        previous = current;
        current = current->next;
    }
    if (!current)
        return 255;
    if (previous)
        previous->next = current->next;
    else
        m_pHead = current->next;
    if (m_pTail == current)
        m_pTail = previous;
    delete current;
    if (m_nCount > 0)
        --m_nCount;
    return 1;
}

void QX_List::RemoveAll() {
    Node* node = m_pHead;
    while (node) {
        Node* next = node->next;
        delete node;
        node = next;
    }
    m_pHead = m_pTail = nullptr;
    m_nCount = 0;
}

void* QX_List::AllocItem(size_t bytes) {
    // calloc(1, 0) may give null; a zero-byte item still gets its own storage.
    return std::calloc(1, bytes ? bytes : 1);
}
