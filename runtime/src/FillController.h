#pragma once

namespace ndirt
{

/** The control loop of the frame synchroniser: from the fill level of its
    jitter buffer it computes the factor by which the rate converter's ratio is
    trimmed, so that the buffer stays at its target whatever the difference
    between the sender's and the receiver's clocks.

    A proportional-integral controller on the low-passed level error. With the
    level L (seconds of audio), the clock difference d and the trim u, the
    buffer moves by dL/dt = d + u; u = -(kp e + ki ∫e) gives a critically
    damped loop with a natural frequency of 0.15 rad/s: it settles in about
    35 s and its integral holds the clock difference, so drift leaves no
    lasting error. The loop is slow on purpose: the level jumps with every block
    sent and captured, and a faster loop would turn those jumps into audible
    wobbles of pitch. */
class FillController
{
public:
    static constexpr double kp = 0.3;               // 2 * 0.15 rad/s
    static constexpr double ki = 0.0225;            // (0.15 rad/s)^2
    static constexpr double smoothingSeconds = 1.0; // low-pass of the measured level
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
