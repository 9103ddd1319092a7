# The two commands of a fresh machine: `make demo` and `make test`.
BUILD ?= build

.PHONY: deps build test demo clean

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure

demo: build
	bash scripts/run-demo.sh $(BUILD)

clean:
	rm -rf $(BUILD)
