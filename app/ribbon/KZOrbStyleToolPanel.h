#pragma once

#include <QtGlobal>

class KZOrbStyleToolPanelDelegate;
class KZOrbStyleToolPanelItem;

// Fits the ribbon's groups into the width of the view that hosts them: when
// the host is too narrow it shrinks groups one mode at a time in the order
// of the priorities its delegate gives for each group in its current mode,
// and when there is room again it enlarges them in the reverse order. Then
// it lays the groups out left to right, each followed by a thin separator
// unless it shows only its drop-down button.
class KZOrbStyleToolPanel {
public:
    static constexpr qint32 kLowestPriority = 0;
    static constexpr qint32 kHighestPriority = 99;
    static constexpr int kSeparatorWidth = 2;

    KZOrbStyleToolPanel() = default;
    KZOrbStyleToolPanel(const KZOrbStyleToolPanel&) = delete;
    KZOrbStyleToolPanel& operator=(const KZOrbStyleToolPanel&) = delete;

    // Not owned.
    KZOrbStyleToolPanelDelegate* delegate() const { return m_delegate; }
    void setDelegate(KZOrbStyleToolPanelDelegate* delegate) { m_delegate = delegate; }
    qint32 lastSize() const { return m_lastSize; }
    void setLastSize(qint32 size) { m_lastSize = size; }

    // The host view's width; 0 without one.
    qint32 size() const;
    // The groups' widths added up (separators not counted).
    qint32 needSize() const;

    KZOrbStyleToolPanelItem* itemByPriority(qint32 priority) const;
    void sizeToFit();
    void rerangeItems();
    void dismissesPopUp();
    void update();

private:
    KZOrbStyleToolPanelDelegate* m_delegate = nullptr;
    qint32 m_lastSize = 0;
};
