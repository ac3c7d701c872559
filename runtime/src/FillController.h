#pragma once

namespace ndirt
{

/** The control loop of the frame synchroniser: from the fill level of its
    jitter buffer it computes the factor by which the rate converter's ratio is
    trimmed, so that the buffer stays at its target whatever the difference
    between the sender's and the receiver's clocks.

    A proportional-integral controller on the low-passed level error, updated
    once per control window of the synchroniser. With the level L (seconds of
    audio), the clock difference d and the trim u, the buffer moves by
    dL/dt = d + u; u = -(kp e + ki ∫e) gives a critically damped loop with a
    natural frequency of 0.3 rad/s: it settles in about 20 s, a clock
    difference of 1000 ppm appearing at once digs at most about 2.5 ms into the
    buffer, and the integral holds the clock difference, so drift leaves no
    lasting error. Faster would wobble the pitch more; slower would let a
    sudden clock difference empty the buffer. */
class FillController
{
public:
    static constexpr double kp = 0.6;               // 2 * 0.3 rad/s
    static constexpr double ki = 0.09;              // (0.3 rad/s)^2
    static constexpr double smoothingSeconds = 0.5; // low-pass of the measured level
    static constexpr double maxTrim = 0.005;        // +-5000 ppm

    /** Forgets everything, including the learnt clock difference. */
    void reset();

    /** Keeps the learnt clock difference but forgets the measured level, as
        after a gap in the audio. */
    void restart();

    /** Takes the level error (seconds above target) measured after a capture that
        covered elapsedSeconds of output; returns the ratio trim factor. */
    double update (double errorSeconds, double elapsedSeconds);

    double getTrim() const  { return 1.0 + trim; }

private:
    double filteredError = 0.0;
    double integral = 0.0;
    double trim = 0.0;
    bool fresh = true;
};

} // namespace ndirt
