#include "core/racemodel/orderingmodels.h"

#include "core/racemodel/normalmodel.h"

#include <algorithm>
#include <cmath>

namespace {

// The runners that can place, their win probabilities, and room for the tables.
FinishingOrder prepare(const RaceField &field)
{
    FinishingOrder order;
    order.runnerCount = field.runnerCount;
    order.indexOf.assign(size_t(field.runnerCount) + 1, -1);
    for (int r = 1; r <= field.runnerCount; ++r) {
        if (field.win[size_t(r)] > 0) {
            order.indexOf[size_t(r)] = int(order.runners.size());
            order.runners.push_back(r);
            order.win.push_back(field.win[size_t(r)]);
        }
    }
    const size_t m = order.runners.size();
    order.firstTwo.assign(m * m, 0.0);
    if (m >= 3)
        order.firstThree.assign(m * m * m, 0.0);
    return order;
}

// p^exponent scaled by the largest, second and third largest value, so that a conditional
// share p_b^e / sum_{c not taken} p_c^e is taken from scaled values whose denominator is at
// least 1: neither overflow nor 0/0 for any exponent or spread of probabilities.
struct ScaledPowers
{
    std::vector<double> byRank[3]; // scaled by the (rank+1)-th largest
    int top[3] = {-1, -1, -1};     // indices of the three largest

    ScaledPowers(const std::vector<double> &p, double exponent)
    {
        const int m = int(p.size());
        std::vector<double> logs(static_cast<size_t>(m));
        for (int a = 0; a < m; ++a)
            logs[size_t(a)] = exponent * std::log(p[size_t(a)]);
        std::vector<int> order(static_cast<size_t>(m));
        for (int a = 0; a < m; ++a)
            order[size_t(a)] = a;
        std::partial_sort(order.begin(), order.begin() + std::min(m, 3), order.end(),
                          [&](int a, int b) { return logs[size_t(a)] > logs[size_t(b)]; });
        for (int k = 0; k < std::min(m, 3); ++k) {
            top[k] = order[size_t(k)];
            byRank[k].resize(size_t(m));
            for (int a = 0; a < m; ++a)
                byRank[k][size_t(a)] = std::exp(logs[size_t(a)] - logs[size_t(top[k])]);
        }
    }

    // Scaled by the largest value among the runners not excluded.
    const std::vector<double> &without(int a, int b = -1) const
    {
        int k = 0;
        while (top[k] == a || top[k] == b)
            ++k;
        return byRank[k];
    }
};

} // namespace

QString orderModelName(OrderModel model)
{
    switch (model) {
    case OrderModel::Harville:
        return QStringLiteral("harville");
    case OrderModel::Discount:
        return QStringLiteral("discount");
    case OrderModel::Normal:
        break;
    }
    return QStringLiteral("normal");
}

std::optional<OrderModel> orderModelFromName(QStringView name)
{
    for (const OrderModel model : {OrderModel::Harville, OrderModel::Discount, OrderModel::Normal})
        if (name == orderModelName(model))
            return model;
    return std::nullopt;
}

FinishingOrder discountOrder(const RaceField &field, double lambda, double rho)
{
    FinishingOrder order = prepare(field);
    const int m = order.size();
    if (m < 2)
        return order;
    // P(a, b, c) = p_a * q_b / sum_{d != a} q_d * s_c / sum_{d != a, b} s_d, q = p^lambda,
    // s = p^rho. The denominators are summed, not taken as 1 - p_a - p_b: a near-certain
    // favourite would leave nothing of the difference.
    const ScaledPowers q(order.win, lambda);
    const ScaledPowers s(order.win, rho);
    for (int a = 0; a < m; ++a) {
        const std::vector<double> &qa = q.without(a);
        double qRest = 0;
        for (int d = 0; d < m; ++d)
            if (d != a)
                qRest += qa[size_t(d)];
        for (int b = 0; b < m; ++b) {
            if (b == a)
                continue;
            const double ab = order.win[size_t(a)] * qa[size_t(b)] / qRest;
            order.firstTwo[size_t(a * m + b)] = ab;
            if (m < 3)
                continue;
            const std::vector<double> &sab = s.without(a, b);
            double sRest = 0;
            for (int d = 0; d < m; ++d)
                if (d != a && d != b)
                    sRest += sab[size_t(d)];
            const double scale = ab / sRest;
            double *row = &order.firstThree[size_t((a * m + b) * m)];
            for (int c = 0; c < m; ++c)
                row[c] = scale * sab[size_t(c)];
            row[a] = 0;
            row[b] = 0;
        }
    }
    return order;
}

FinishingOrder harvilleOrder(const RaceField &field)
{
    return discountOrder(field, 1, 1);
}

Result<FinishingOrder> normalOrder(const RaceField &field)
{
    FinishingOrder order = prepare(field);
    const int m = order.size();
    if (m < 2)
        return Result<FinishingOrder>::success(std::move(order));
    if (m == 2) {
        // Whoever wins, the other is second.
        order.firstTwo[1] = order.win[0];
        order.firstTwo[2] = order.win[1];
        return Result<FinishingOrder>::success(std::move(order));
    }
    const Result<NormalFit> fit = fitNormalModel(order.win, &order.firstThree);
    if (!fit.ok())
        return Result<FinishingOrder>::failure(fit.problem);
    for (int a = 0; a < m; ++a)
        for (int b = 0; b < m; ++b) {
            double sum = 0;
            for (int c = 0; c < m; ++c)
                sum += order.three(a, b, c);
            order.firstTwo[size_t(a * m + b)] = sum;
        }
    return Result<FinishingOrder>::success(std::move(order));
}

Result<FinishingOrder> modelOrder(const RaceField &field, OrderModel model, double lambda,
                                  double rho)
{
    switch (model) {
    case OrderModel::Harville:
        return Result<FinishingOrder>::success(harvilleOrder(field));
    case OrderModel::Discount:
        return Result<FinishingOrder>::success(discountOrder(field, lambda, rho));
    case OrderModel::Normal:
        break;
    }
    return normalOrder(field);
}
