#include "panel/drawing_sink.hpp"
#include "panel/panel.hpp"

bool take_from_write_budget(RunContext& context, std::uintmax_t bytes) {
    if (bytes > context.write_budget) return false;
    context.write_budget -= bytes;
    return true;
}

std::string past_write_budget() {
    return "past " + std::to_string(max_run_write_bytes >> 20) + " MiB written in all";
}

void BudgetedSink::write(const std::string& text) {
    if (!take_from_write_budget(context_, written_size(text))) {
        fail_at(place_, "", "writing its file would take the run " + past_write_budget());
    }
    inner_.write(text);
}
