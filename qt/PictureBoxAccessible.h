#pragma once

namespace kelvanter {

// Lets screen readers see the picture box as what it shows: a progress bar from 0 to 100 whose
// value is the percent label's.
void installPictureBoxAccessibility();

} // namespace kelvanter
