# The two commands a new user needs: `make demo` and `make test`.
# Both install the Debian packages that are missing, configure and build.

BUILD ?= build
SAN_BUILD ?= build-sanitize
BENCH_BUILD ?= build-bench
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
COV_BUILD ?= build-coverage
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
PACKAGES := cmake g++ make pkg-config libpugixml-dev libutf8proc-dev nlohmann-json3-dev \
            libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev locales
FUZZ_PACKAGES := clang libclang-rt-dev
COVERAGE_PACKAGES := gcovr
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# $(call install-missing,PACKAGES): installs those of the Debian packages that are missing.
define install-missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

.PHONY: deps configure build demo test sanitize check-install bench sanitize-thread fuzz coverage clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	@echo; echo "== pipedex info (the shipped sample catalogue) =="; \
	$(BUILD)/bin/pipedex info
	@echo; echo "== pipedex skey ELBW =="; $(BUILD)/bin/pipedex skey ELBW || true
	@echo; echo "== pipedex elbow 50 --type Elbow-90-V --skey ELBW =="; $(BUILD)/bin/pipedex elbow 50 --type Elbow-90-V --skey ELBW || true
	@echo; echo "== one batch request =="; \
	echo '{"call": "GetSKEYData", "args": ["ELBW"]}' | $(BUILD)/bin/pipedex batch

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPIPEDEX_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Installs into a temporary prefix and builds and runs examples/consumer
# against the installed package (find_package and pkg-config).
check-install: build
	tools/check-install.sh

# Performance benchmarks: an optimised build of the library and the benchmark
# program, then the run, which ends with the summary table of ratios.
bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
	  -DPIPEDEX_BENCH=ON -DPIPEDEX_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target pipedex_bench
	$(BENCH_BUILD)/bin/pipedex-bench --data-dir $(BENCH_BUILD)/bench-data $(BENCH_ARGS)

# The test suite under ThreadSanitizer (among them the eight-thread test).
sanitize-thread: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-fsanitize=thread -O1 -g" \
	  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1" ctest --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS seconds (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer); prints executions and coverage per target.
fuzz: deps
	$(call install-missing,$(FUZZ_PACKAGES))
	cmake -S fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Line and branch coverage of src/ by the test suite (gcov, reported by gcovr;
# the full report is $(COV_BUILD)/coverage/index.html).
coverage: deps
	$(call install-missing,$(COVERAGE_PACKAGES))
	cmake -S . -B $(COV_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic -O0" \
	  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage
	cmake --build $(COV_BUILD) -j $(JOBS)
	find $(COV_BUILD) -name '*.gcda' -delete
	cd $(COV_BUILD) && ctest -j $(JOBS) --output-on-failure
	mkdir -p $(COV_BUILD)/coverage
	gcovr --root . --object-directory $(COV_BUILD) --filter 'src/' \
	  --exclude-throw-branches --exclude-unreachable-branches \
	  --txt --html-details $(COV_BUILD)/coverage/index.html --print-summary

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(BENCH_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(COV_BUILD)
