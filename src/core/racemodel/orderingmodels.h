#pragma once
// Finishing-order models: from win probabilities, the probability of every first, first
// two and first three finishers.

#include "core/racemodel/result.h"
#include "core/racemodel/winprobabilities.h"

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

enum class OrderModel {
    // Harville (JASA 68, 1973): each later place like a win among the runners left.
    Harville,
    // Lo & Bacon-Shone (1994), Benter (1994): second place by p^lambda, third by p^rho.
    Discount,
    // Henery (JRSS B 43, 1981): normally distributed running times.
    Normal,
};

QString orderModelName(OrderModel model); // "harville", "discount", "normal"
std::optional<OrderModel> orderModelFromName(QStringView name);

// Probabilities over the runners that can place (positive win probability), by their index
// in `runners` (ascending runner numbers).
struct FinishingOrder
{
    int runnerCount = 0;            // the table's runner count
    std::vector<int> runners;       // runner number of every index
    std::vector<int> indexOf;       // by runner number 0..runnerCount: index, or -1
    std::vector<double> win;        // P(a first)
    std::vector<double> firstTwo;   // P(a first, b second) at a * m + b
    std::vector<double> firstThree; // P(a, b, c in this order) at (a * m + b) * m + c; empty
                                    // below three runners

    int size() const { return int(runners.size()); }
    double two(int a, int b) const { return firstTwo[size_t(a * size() + b)]; }
    double three(int a, int b, int c) const
    {
        return firstThree[size_t((a * size() + b) * size() + c)];
    }
};

// Harville is the discount model with lambda = rho = 1.
FinishingOrder discountOrder(const RaceField &field, double lambda, double rho);
FinishingOrder harvilleOrder(const RaceField &field);
// Not ok when the running-time means cannot be fitted to the win probabilities.
Result<FinishingOrder> normalOrder(const RaceField &field);

Result<FinishingOrder> modelOrder(const RaceField &field, OrderModel model, double lambda,
                                  double rho);
