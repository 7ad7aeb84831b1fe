# The two commands a newcomer types: `make run` and `make test`.
# Both install what is missing (Debian packages), configure and build first.

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
SANITIZE   ?= OFF
JOBS       ?= $(shell nproc)

PACKAGES = g++ cmake ninja-build qt6-base-dev libsqlite3-dev sqlite3 libxlsxwriter-dev \
           libgtest-dev libgmock-dev xvfb xauth libminizip-dev poppler-utils fonts-dejavu-core

FUZZ_SECONDS ?= 180

.PHONY: run test build deps configure clean fuzz

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQUORVEL_SANITIZE=$(SANITIZE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@cd $(BUILD)/bin && \
	  { [ -e DB2.mdb ] || ./makedb --demo DB2.mdb; } && \
	  { [ -e quorvel.ini ] || printf '[SrvSettings]\r\nConnectOnStart=1\r\n' > quorvel.ini; } && \
	  ./quorvel

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Each fuzz target searches for FUZZ_SECONDS; new inputs go to build-fuzz,
# an input that finds a fault is kept in tests/fuzz/corpus and replayed by
# make test from then on.
fuzz: deps
	@command -v clang++ >/dev/null || { SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq clang; }
	@cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DQUORVEL_FUZZ=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target quorvel_fuzz_targets
	@for t in IniFile LocValue FilterText Formats; do \
	  mkdir -p build-fuzz/corpus/$$t && echo "== fuzz $$t for $(FUZZ_SECONDS) s" && \
	  build-fuzz/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=tests/fuzz/corpus/$$t/ build-fuzz/corpus/$$t tests/fuzz/corpus/$$t || exit 1; \
	done

clean:
	rm -rf $(BUILD)
