#include "ui/value_pane.h"

#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <utility>

namespace quorvel::ui {

ValuePane::ValuePane(QWidget* parent, const TextBuffers& texts, const PaneFonts& fonts, bool vertical, int lineStep)
    : QAbstractScrollArea(parent), texts_(texts), fonts_(fonts), vertical_(vertical), lineStep_(lineStep) {
  // A two-pixel sunken edge around the client area.
  setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  // The bar is always there and greyed out while the text fits.
  setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
  setFocusPolicy(Qt::NoFocus);
  QPalette palette = viewport()->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Base));
  viewport()->setPalette(palette);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  connect(bar(), &QAbstractSlider::actionTriggered, this, [this](int action) { onBarAction(action); });
  syncScrollBar();
}

QScrollBar* ValuePane::bar() const { return vertical_ ? verticalScrollBar() : horizontalScrollBar(); }

void ValuePane::applyScrollRange(long long length, int capacity, size_t textLength) {
  const long long lastSet = vertical_ ? scrollMaximum_ + 1LL : scrollMaximum_;
  const auto setInactive = [this] {
    scrollMaximum_ = 0;
    scrollPage_ = 0;
    scrollActive_ = 0;
  };
  // The same text length is taken for the same value, as the rule itself
  // does.
  const bool keepEnd = std::exchange(relayout_, false) && endInView_ && textLength == paintedTextLength_;
  paintedTextLength_ = textLength;
  if (scrollActive_ != 1 || length != lastSet) {
    if (capacity < length) {
      scrollMaximum_ = static_cast<int>(vertical_ ? length - 1 : length);
      scrollPage_ = capacity;
      scrollActive_ = 1;
    } else {
      setInactive();
    }
  } else if (capacity >= length) {
    setInactive();
  } else {
    return;
  }
  // A layout change only redraws the same value: the end stays in view if
  // it was. A new value starts at its most significant end.
  firstVisible_ = keepEnd && scrollActive_ == 1 ? static_cast<int>(endPosition()) : 0;
  noteWhetherEndIsInView();
  barStale_ = true;
}

long long ValuePane::endPosition() const {
  if (scrollActive_ != 1) return 0;
  // The bit view draws whole digits: its page of n columns shows n rounded
  // down to a multiple of the line step.
  const long long length = vertical_ ? scrollMaximum_ + 1LL : scrollMaximum_;
  return std::max(0LL, length - scrollPage_ / lineStep_ * lineStep_);
}

void ValuePane::noteWhetherEndIsInView() { endInView_ = scrollActive_ != 1 || firstVisible_ >= endPosition(); }

void ValuePane::syncScrollBar() {
  if (!barStale_) return;
  barStale_ = false;
  QScrollBar* b = bar();
  const QSignalBlocker block(b);
  if (scrollActive_ == 1) {
    b->setRange(0, static_cast<int>(endPosition()));
    b->setPageStep(std::max(1, scrollPage_));
    b->setSingleStep(lineStep_);
    b->setValue(firstVisible_);
    b->setEnabled(true);
  } else {
    b->setRange(0, 0);
    b->setValue(0);
    b->setEnabled(false);
  }
}

void ValuePane::scroll(ScrollRequest request, int trackPosition) {
  // Without a range there is nothing to scroll; the clamp below would give
  // position -1.
  if (scrollActive_ != 1) return;
  long long p = firstVisible_;
  switch (request) {
    case ScrollRequest::LineBack: p -= lineStep_; break;
    case ScrollRequest::LineForward: p += lineStep_; break;
    case ScrollRequest::PageBack: p -= scrollPage_; break;
    case ScrollRequest::PageForward: p += scrollPage_; break;
    case ScrollRequest::Track: p = trackPosition; break;
  }
  p = std::max(p, 0LL);
  if (p >= scrollMaximum_) p = std::max(scrollMaximum_ - 1, 0);
  firstVisible_ = static_cast<int>(p);
  noteWhetherEndIsInView();
  {
    const QSignalBlocker block(bar());
    bar()->setValue(firstVisible_);
  }
  viewport()->update();
}

void ValuePane::onBarAction(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: scroll(ScrollRequest::LineBack); break;
    case QAbstractSlider::SliderSingleStepAdd: scroll(ScrollRequest::LineForward); break;
    case QAbstractSlider::SliderPageStepSub: scroll(ScrollRequest::PageBack); break;
    case QAbstractSlider::SliderPageStepAdd: scroll(ScrollRequest::PageForward); break;
    case QAbstractSlider::SliderMove: scroll(ScrollRequest::Track, bar()->sliderPosition()); break;
    // The bar's own menu: "Left edge" / "Right edge", "Top" / "Bottom".
    case QAbstractSlider::SliderToMinimum: scroll(ScrollRequest::Track, 0); break;
    case QAbstractSlider::SliderToMaximum: scroll(ScrollRequest::Track, bar()->maximum()); break;
    default: break;
  }
  // The bar applies its own idea of the action after this signal; make it
  // apply ours, which may lie past its last thumb position.
  bar()->setSliderPosition(std::min(firstVisible_, bar()->maximum()));
}

void ValuePane::scrollContentsBy(int, int) { viewport()->update(); }

void ValuePane::setMark(long long first, long long count, uint64_t generation, bool reveal) {
  mark_ = Mark{first, count};
  markGeneration_ = generation;
  revealPending_ = reveal;
  viewport()->update();
}

void ValuePane::clearMark() {
  if (!mark_) return;
  mark_.reset();
  revealPending_ = false;
  viewport()->update();
}

std::optional<ValuePane::Mark> ValuePane::markFor(uint64_t generation) const {
  if (!mark_ || markGeneration_ != generation) return std::nullopt;
  return mark_;
}

void ValuePane::revealIfPending(uint64_t generation, long long position) {
  if (!std::exchange(revealPending_, false) || !markFor(generation) || scrollActive_ != 1) return;
  firstVisible_ = static_cast<int>(std::clamp(position, 0LL, endPosition()));
  noteWhetherEndIsInView();
  barStale_ = true;
}

void ValuePane::addMarkRect(QList<QRectF>& rects, const Mark& mark, long long from, long long length, double x,
                            double w, int y, int h) const {
  const long long start = std::max(mark.first, from), end = std::min(mark.first + mark.count, from + length);
  if (start >= end) return;
  rects.append(QRectF(x + static_cast<double>(start - from) * w, y, static_cast<double>(end - start) * w, h));
}

void ValuePane::paintMark(QPainter& painter, const QList<QRectF>& rects) {
  markRects_ = rects;
  for (const QRectF& r : rects) painter.fillRect(r, palette().color(QPalette::Highlight).lighter(150));
}

void ValuePane::drawTextAt(QPainter& painter, double x, int y, const QString& text) {
  painter.drawText(QPointF(x, y + QFontMetrics(painter.font()).ascent()), text);
}

}  // namespace quorvel::ui
