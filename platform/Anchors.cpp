#include "Anchors.h"

#include <QEvent>
#include <QWidget>

Anchors::Anchors(QWidget *child, int edges)
    : QObject(child), m_child(child), m_edges(edges), m_designed(child->geometry()),
      m_designedParent(child->parentWidget()->size())
{
    child->parentWidget()->installEventFilter(this);
}

void Anchors::Attach(QWidget *child, int edges)
{
    if (child->parentWidget())
        new Anchors(child, edges);
}

QRect Anchors::Place(const QRect &designed, const QSize &designedParent, const QSize &parent, int edges)
{
    int x = designed.x(), width = designed.width();
    const int rightMargin = designedParent.width() - designed.x() - designed.width();
    if ((edges & Left) && (edges & Right))
        width = parent.width() - x - rightMargin;
    else if (edges & Right)
        x = parent.width() - rightMargin - width;

    int y = designed.y(), height = designed.height();
    const int bottomMargin = designedParent.height() - designed.y() - designed.height();
    if ((edges & Top) && (edges & Bottom))
        height = parent.height() - y - bottomMargin;
    else if (edges & Bottom)
        y = parent.height() - bottomMargin - height;
    return QRect(x, y, qMax(0, width), qMax(0, height));
}

void Anchors::apply()
{
    m_child->setGeometry(Place(m_designed, m_designedParent, m_child->parentWidget()->size(), m_edges));
}

void Anchors::Relayout(QWidget *parent)
{
    for (QWidget *child : parent->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (auto *anchors = child->findChild<Anchors *>(QString(), Qt::FindDirectChildrenOnly))
            anchors->apply();
        Relayout(child);
    }
}

bool Anchors::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == m_child->parentWidget())
        apply();
    return false;
}
