#pragma once
// Henery's normal model: runner a's time is theta[a] plus an independent standard normal
// error, the lowest time wins.

#include "core/racemodel/result.h"

#include <vector>

struct NormalFit
{
    std::vector<double> theta; // mean times; the favourite's is 0
    int iterations = 0;
};

// Means whose win probabilities reproduce p (all positive, summing to 1) to within 1e-10
// relative. Not ok when Newton's iteration does not get there. With firstThree, a fit also
// sets it to normalFirstThree(theta) (empty below three runners), the same numbers in less
// time: the fit's last integration is where that one starts.
Result<NormalFit> fitNormalModel(const std::vector<double> &p,
                                 std::vector<double> *firstThree = nullptr);

// P(a wins) for every a, integrated as the fit does.
std::vector<double> normalWinProbabilities(const std::vector<double> &theta);

// P(a, b, c finish first, second, third) at (a * m + b) * m + c for m = theta.size() >= 3.
std::vector<double> normalFirstThree(const std::vector<double> &theta);

// The one entry (a, b, c) of normalFirstThree, without the others.
double normalOrderProbability(const std::vector<double> &theta, int a, int b, int c);
