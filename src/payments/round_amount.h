#pragma once

// Rounds an amount to two decimals so that a third decimal of 5 or more always rounds up, toward plus:
// 1.125 gives 1.13, 12.3449 gives 12.35 (it is first taken to three decimals), -12.125 gives -12.12.
// Installment amounts are rounded this way: half a cent is always charged, never rounded to even.
double RoundAmount(double x);
