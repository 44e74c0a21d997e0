// Turns pointer motion against the top edge into a number of hook messages:
// one per PixelsPerMessage pixels of upward motion that the edge held back.
#pragma once

#include <optional>
#include <vector>

namespace mousehook {

struct PointerPlace {
    int x = 0;
    int y = 0;
};

// What one batch of raw motion events amounts to, with the pointer's place
// before it (the previous batch's query, if any) and after it.
struct MotionBatch {
    double intendedDy = 0;              // sum of the events' vertical motion, negative is up
    std::optional<PointerPlace> before; // unknown for the first batch after the hook starts
    PointerPlace after;
    bool afterOnEdge = false;
    bool buttonHeld = false;
    // Each event's vertical motion in order, and the edge row above `before`
    // if its column has one. With them the pointer's way through the batch can
    // be followed: a push made just before the pointer left the edge counts,
    // and a part of a message gathered before it left is dropped, even when
    // the batch ends on the edge again.
    std::vector<double> steps;
    std::optional<int> edgeRow;
};

class PushMeter {
public:
    explicit PushMeter(double pixelsPerMessage);

    // The number of messages this batch is worth. Pressure is the motion the
    // pointer was meant to make minus the motion it made, so the way up to the
    // edge inside the same batch is not pressure, and neither is the pointer
    // merely arriving on the top row. A push with a button held (a drag) and
    // any motion off the edge count nothing and drop the part of a message
    // gathered so far. Where it can, the meter follows the batch event by event
    // from `before`, stopped at the edge row the way the server stops the
    // pointer, and trusts that way when it ends where the pointer really is.
    // Otherwise (warped, stopped elsewhere) only a batch that ends on the edge
    // counts, by its sums.
    int Measure(const MotionBatch &batch);

    double Pending() const { return m_pending; }

private:
    std::optional<int> FollowTheWay(const MotionBatch &batch);
    int Take(double heldBack);

    double m_pixelsPerMessage;
    double m_pending = 0;
};

} // namespace mousehook
