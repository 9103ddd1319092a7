# The two commands of a fresh machine: `make demo` and `make test`.
BUILD ?= build
# `make sanitize`: the whole suite built with AddressSanitizer and UBSan in a folder of its own;
# any sanitizer report fails it (scripts/sanitize-test.sh).
ASAN_BUILD ?= build-asan
# `make fuzz`: the libFuzzer targets of fuzz/, built with clang in a folder of their own, each
# run for FUZZ_SECONDS.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
# A unity build compiles a few large translation units instead of many small ones: about half the
# time of a build from scratch, as CI makes it, but more to rebuild after editing one file.
UNITY ?= $(if $(CI),ON,OFF)

.PHONY: deps build test demo sanitize fuzz clean

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=$(UNITY)
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure

demo: build
	bash scripts/run-demo.sh $(BUILD)

sanitize: deps
	bash scripts/sanitize-test.sh $(ASAN_BUILD)

fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
	    -DTESSALY_FUZZ=ON -DTESSALY_BENCH=OFF
	cmake --build $(FUZZ_BUILD) --target tessaly_fuzzers
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)
