# The two commands of the README: `make run` and `make test`.
BUILD := build
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps build test run bench clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

run: build
	@bash scripts/run-demo.sh

bench: build
	@for b in $(BUILD)/bench/*; do if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" --benchmark_counters_tabular=true; fi; done

clean:
	rm -rf $(BUILD)
