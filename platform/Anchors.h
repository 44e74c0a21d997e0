#pragma once
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

// Keeps a child at its designed distance from the parent's edges that it is
// anchored to while the parent is resized: anchored on both opposite edges it
// grows and shrinks with the parent, on one it keeps its size and that margin.
class Anchors : public QObject {
    Q_OBJECT
public:
    enum Edge { Left = 1, Top = 2, Right = 4, Bottom = 8, All = Left | Top | Right | Bottom };

    // Records the child's margins against the parent's present (designed) size.
    static void Attach(QWidget *child, int edges);

    // Places the anchored children of parent, and theirs, for its present size
    // at once. Needed while the parent is hidden: Qt delivers a hidden widget's
    // resize only when it is shown.
    static void Relayout(QWidget *parent);

    // The child's geometry for a parent of the given size.
    static QRect Place(const QRect &designed, const QSize &designedParent, const QSize &parent,
                       int edges);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Anchors(QWidget *child, int edges);
    void apply();
    QWidget *m_child;
    int m_edges;
    QRect m_designed;
    QSize m_designedParent;
};
