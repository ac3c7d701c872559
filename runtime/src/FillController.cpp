#include "FillController.h"

#include <algorithm>
#include <cmath>

namespace ndirt
{

void FillController::reset()
{
    restart();
    integral = 0.0;
    trim = 0.0;
}

void FillController::restart()
{
    filteredError = 0.0;
    fresh = true;
}

double FillController::update (double errorSeconds, double elapsedSeconds)
{
    if (fresh)
    {
        filteredError = errorSeconds;
        fresh = false;
    }
    else
    {
        filteredError += (errorSeconds - filteredError) * (1.0 - std::exp (-elapsedSeconds / smoothingSeconds));
    }

    // Integrate only while that does not push the trim further into its limit.
    const double candidate = integral + filteredError * elapsedSeconds;
    const double unclamped = -(kp * filteredError + ki * candidate);

    if (std::abs (unclamped) <= maxTrim || std::abs (candidate) < std::abs (integral))
        integral = candidate;

    trim = std::clamp (-(kp * filteredError + ki * integral), -maxTrim, maxTrim);
    return 1.0 + trim;
}

} // namespace ndirt
