// An intrusive tree threaded in pre-order. Every node knows its parent, its successor in a
// pre-order walk of the whole tree, its previous sibling (the first child's is the last child)
// and the last node of its own subtree. A node's subtree is therefore the chain from the node
// to its last descendant, and skipping it is one step: the next of the last descendant.
#pragma once

template <class T>
class TreeNode {
public:
    TreeNode() : m_pParent(nullptr), m_pNext(nullptr), m_pPrevSibling(this), m_pLastDescendant(this) {}
    TreeNode(const TreeNode&) = delete;
    TreeNode& operator=(const TreeNode&) = delete;
    // Deleting a node through this base deletes the whole derived object.
    virtual ~TreeNode() = default;

    T* GetParent() const { return Cast(m_pParent); }
    T* GetNext() const { return Cast(m_pNext); }
    T* GetPrevSibling() const { return Cast(m_pPrevSibling); }
    T* GetLastDescendant() const { return Cast(m_pLastDescendant); }

    T* GetFirstChild() const { return Cast(FirstChildOf(this)); }
    T* GetLastChild() const
    {
        const TreeNode* first = FirstChildOf(this);
        return first ? Cast(first->m_pPrevSibling) : nullptr;
    }
    // Null for the last child and for a root.
    T* GetNextSibling() const
    {
        if (!m_pParent)
            return nullptr;
        TreeNode* after = m_pLastDescendant->m_pNext;
        return after && after->m_pParent == m_pParent ? Cast(after) : nullptr;
    }
    // The node that follows this node's whole subtree in a pre-order walk.
    T* GetNextSkippingSubtree() const { return Cast(m_pLastDescendant->m_pNext); }
    bool IsInSubtreeOf(const TreeNode* ancestor) const
    {
        for (const TreeNode* a = this; a; a = a->m_pParent)
            if (a == ancestor)
                return true;
        return false;
    }

    // Links n (a root, or a node just unlinked, with its subtree) under p: before the sibling s
    // when given (s must be a child of p), as p's last child otherwise.
    static void InsertBefore(TreeNode* n, TreeNode* s, TreeNode* p)
    {
        n->m_pParent = p;
        if (s) {
            TreeNode* before = s->m_pPrevSibling;
            n->m_pPrevSibling = before;
            n->m_pLastDescendant->m_pNext = s;
            if (p->m_pNext == s)
                p->m_pNext = n;
            else
                before->m_pLastDescendant->m_pNext = n;
            s->m_pPrevSibling = n;
            return;
        }
        TreeNode* first = FirstChildOf(p);
        TreeNode* oldLast = p->m_pLastDescendant;
        n->m_pLastDescendant->m_pNext = oldLast->m_pNext;
        oldLast->m_pNext = n;
        if (first) {
            n->m_pPrevSibling = first->m_pPrevSibling;
            first->m_pPrevSibling = n;
        } else {
            n->m_pPrevSibling = n;
        }
        TreeNode* newLast = n->m_pLastDescendant;
        for (TreeNode* a = p; a && a->m_pLastDescendant == oldLast; a = a->m_pParent)
            a->m_pLastDescendant = newLast;
    }

    // Takes n with its subtree out from under its parent p. n keeps its own links; they are
    // rewritten when it is inserted again.
    static void Unlink(TreeNode* n, TreeNode* p)
    {
        TreeNode* last = n->m_pLastDescendant;
        TreeNode* after = last->m_pNext;
        const bool first = p->m_pNext == n;
        if (after && after->m_pParent == p)
            after->m_pPrevSibling = n->m_pPrevSibling;
        else
            p->m_pNext->m_pPrevSibling = n->m_pPrevSibling;
        if (p->m_pLastDescendant == last) {
            TreeNode* newLast = first ? p : n->m_pPrevSibling->m_pLastDescendant;
            for (TreeNode* a = p; a && a->m_pLastDescendant == last; a = a->m_pParent)
                a->m_pLastDescendant = newLast;
        }
        if (first)
            p->m_pNext = after;
        else
            n->m_pPrevSibling->m_pLastDescendant->m_pNext = after;
    }

    // Deletes n's children one by one, first to last; each deletion takes the child's own
    // subtree with it and unlinks the child (the derived destructor does both).
    static void DestroyChildren(TreeNode* n)
    {
        TreeNode* child = FirstChildOf(n);
        while (child) {
            TreeNode* following = Cast(child)->GetNextSibling();
            delete child;
            child = following;
        }
    }

protected:
    // Makes n a root again after it was unlinked: no parent, nothing after its subtree.
    static void MakeRoot(TreeNode* n)
    {
        n->m_pParent = nullptr;
        n->m_pPrevSibling = n;
        n->m_pLastDescendant->m_pNext = nullptr;
    }

private:
    static T* Cast(TreeNode* node) { return static_cast<T*>(node); }
    static TreeNode* FirstChildOf(const TreeNode* p)
    {
        TreeNode* next = p->m_pNext;
        return next && next->m_pParent == p ? next : nullptr;
    }

    TreeNode* m_pParent;
    TreeNode* m_pNext;
    TreeNode* m_pPrevSibling;
    TreeNode* m_pLastDescendant;
};
