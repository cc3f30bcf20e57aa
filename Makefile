# The two commands of the README: `make run` and `make test`.
BUILD := build
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps build test run install package bench check-asan fuzz-smoke smoke mutants clean

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

# Installs under /usr/local (PREFIX=... for another place).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, build/kvilbro_<version>_amd64.deb.
package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	@for b in $(BUILD)/bench/*; do if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" --benchmark_counters_tabular=true; fi; done

# Every test built with AddressSanitizer and UndefinedBehaviorSanitizer; the
# first report fails the run.
check-asan: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVILBRO_SANITIZE=ON -DKVILBRO_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-asan -j$(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --output-on-failure -j$(JOBS)

# Hand-picked faults in the table engine; the tests must catch every one.
mutants: deps
	@bash scripts/mutants.sh

# Each fuzz target for a minute on its generated corpus.
fuzz-smoke:
	@bash scripts/fuzz-smoke.sh 60

# `make run` started and ended as a user does, under Xvfb with a window manager.
smoke:
	@bash scripts/smoke-run.sh

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-mutants
