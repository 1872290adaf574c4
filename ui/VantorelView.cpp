#include "ui/VantorelView.h"

CVantorelView::CVantorelView(QWidget* parent) : QAbstractScrollArea(parent) {}

void CVantorelView::SetDocument(CVantorelDoc* document) { document_ = document; }

void CVantorelView::OnShowGrid()
{
    grid_ = !grid_;
    viewport()->update();
}

bool CVantorelView::CanPaste() const { return false; }
