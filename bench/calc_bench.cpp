// Speed of the calculation beside the standard library's own number conversions, in one binary so
// that every ratio compares figures from the same run. Each benchmark reports an "allocs" counter:
// heap allocations per call, counted by the replaced global operator new below.
#include "calc/calc.h"

#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <charconv>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace {

std::atomic<long long> allocations{0};

void* CountedAllocate(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

// Every allocating form funnels into CountedAllocate, so nothing escapes the count. The aligned
// forms are not replaced: nothing in calc asks for over-aligned memory.
void* operator new(std::size_t size) { return CountedAllocate(size); }
void* operator new[](std::size_t size) { return CountedAllocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using calc::AmountField;

// The fields as the window would hold them, but in memory. Reading copies the text as a real
// field access must; the texts are short enough to stay inside std::string's own buffer, so any
// allocation the counter sees comes from the calculation itself.
class MemoryFields final : public calc::FieldAccess {
public:
    MemoryFields(std::string separator, AmountField source, std::string text) : separator_(std::move(separator)) {
        texts_[static_cast<std::size_t>(source)] = std::move(text);
    }
    std::string ReadText(AmountField field) const override { return texts_[static_cast<std::size_t>(field)]; }
    void WriteText(AmountField field, const std::string& text) override {
        texts_[static_cast<std::size_t>(field)] = text;
    }
    std::string DecimalSeparator() const override { return separator_; }

private:
    std::string separator_;
    std::array<std::string, 3> texts_;
};

// Sets the "allocs" counter to the allocations per iteration made while `state` was running.
class AllocationCount {
public:
    explicit AllocationCount(benchmark::State& state) : state_(state), start_(allocations.load()) {}
    ~AllocationCount() {
        state_.counters["allocs"] = benchmark::Counter(static_cast<double>(allocations.load() - start_),
                                                       benchmark::Counter::kAvgIterations);
    }
    AllocationCount(const AllocationCount&) = delete;
    AllocationCount& operator=(const AllocationCount&) = delete;

private:
    benchmark::State& state_;
    long long start_;
};

// What people type: a whole amount, one with cents, the smallest amount, a comma under a comma
// separator, text that is no number, and the longest a field takes (nine digits).
struct TypedText {
    const char* name;
    const char* text;
    const char* separator;
};
constexpr TypedText kTypedTexts[] = {
    {"100", "100", "."},
    {"1234.56", "1234.56", "."},
    {"0.01", "0.01", "."},
    {"12,50_comma", "12,50", ","},
    {"abc", "abc", "."},
    {"123456789", "123456789", "."},
};

struct Source {
    const char* name;
    AmountField field;
};
constexpr Source kSources[] = {{"txtBez", AmountField::txtBez}, {"txt5", AmountField::txt5}, {"txt19", AmountField::txt19}};

void Recalculate(benchmark::State& state, AmountField source, const TypedText& typed) {
    MemoryFields fields(typed.separator, source, typed.text);
    calc::Recalculate(source, fields);  // the targets now hold texts of their final length
    AllocationCount count(state);
    for (auto _ : state) {
        calc::Recalculate(source, fields);
        benchmark::ClobberMemory();
    }
}

// Values that FormatNumber writes for the typed texts above, from short to the longest.
struct Value {
    const char* name;
    double x;
};
constexpr Value kValues[] = {
    {"105", 105},
    {"10.5", 10.5},
    {"0.01", 0.01},
    {"1469.13", 1469.13},
    {"0", 0},
    {"146913578.91", 146913578.91},
};

void FormatNumber(benchmark::State& state, double x) {
    AllocationCount count(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(x);
        std::string text = calc::FormatNumber(x, ".");
        benchmark::DoNotOptimize(text);
    }
}

// The standard library's fastest route to the same 15 significant digits, without building a string.
void ToChars(benchmark::State& state, double x) {
    AllocationCount count(state);
    char buffer[32];
    for (auto _ : state) {
        benchmark::DoNotOptimize(x);
        char* end = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 15).ptr;
        benchmark::DoNotOptimize(end);
        benchmark::ClobberMemory();
    }
}

// Texts that from_chars reads as a whole as well, so both sides parse the same number. "abc" is
// left out: from_chars gives up on it at once, which says nothing about reading numbers.
constexpr TypedText kNumberTexts[] = {
    {"100", "100", "."},
    {"1234.56", "1234.56", "."},
    {"0.01", "0.01", "."},
    {"123456789", "123456789", "."},
    {"1.23456e3", "1.23456e3", "."},
};

void LeadingNumber(benchmark::State& state, std::string_view text) {
    AllocationCount count(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(text);
        // Results go through a named variable: DoNotOptimize on a const reference is deprecated
        // (Google Benchmark 1.8 on), as the compiler may then assume the value is never written.
        double number = calc::LeadingNumber(text);
        benchmark::DoNotOptimize(number);
    }
}

void FromChars(benchmark::State& state, std::string_view text) {
    AllocationCount count(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(text);
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        benchmark::DoNotOptimize(value);
    }
}

void RoundHalfEven(benchmark::State& state, double x) {
    AllocationCount count(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(x);
        double rounded = calc::RoundHalfEven(x, 2);
        benchmark::DoNotOptimize(rounded);
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (const Source& source : kSources) {
        for (const TypedText& typed : kTypedTexts) {
            benchmark::RegisterBenchmark((std::string("Recalculate/") + source.name + "/" + typed.name).c_str(),
                                         Recalculate, source.field, typed);
        }
    }
    for (const Value& value : kValues) {
        benchmark::RegisterBenchmark((std::string("FormatNumber/") + value.name).c_str(), FormatNumber, value.x);
        benchmark::RegisterBenchmark((std::string("to_chars_general15/") + value.name).c_str(), ToChars, value.x);
    }
    for (const TypedText& typed : kNumberTexts) {
        benchmark::RegisterBenchmark((std::string("LeadingNumber/") + typed.name).c_str(), LeadingNumber,
                                     std::string_view(typed.text));
        benchmark::RegisterBenchmark((std::string("from_chars/") + typed.name).c_str(), FromChars,
                                     std::string_view(typed.text));
    }
    // Unrounded products the recalculation hands over: a tie that goes to even, and ordinary values.
    for (const Value& value : {Value{"0.525", 0.525}, Value{"1296.296296", 1296.2962962962963}, Value{"105", 105.0}}) {
        benchmark::RegisterBenchmark((std::string("RoundHalfEven/") + value.name).c_str(), RoundHalfEven, value.x);
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
