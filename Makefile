# The two commands of the README: `make run` and `make test`; and
# `make test-sanitize`, every test once more with AddressSanitizer and UBSan.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
HOME_DIR := $(CURDIR)/$(BUILD)/bin
SANITIZE_BUILD ?= build-sanitize
# -O1 and line tables only: quicker to build, and enough for the sanitizers'
# reports to name file and line.
SANITIZE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
	-DRINGVALE_SANITIZE=ON -DRINGVALE_WERROR=ON
# Tests spend much of their time waiting for the programs they start, so
# twice as many run at once as there are cores; each holds under that load.
TEST_JOBS ?= $$(( $$(nproc) * 2 ))

.PHONY: all bootstrap configure build test test-sanitize run install-data clean

all: build

bootstrap:
	bash scripts/bootstrap

# Order-only: with make -j, CMake must not look for Qt before bootstrap has
# installed it.
$(BUILD)/build.ninja: | bootstrap
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) --parallel

test: build
	cd $(BUILD) && ctest --output-on-failure --parallel $(TEST_JOBS) --timeout 300

# Configured each time, so the flags hold also in a folder configured before.
test-sanitize: bootstrap
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja $(SANITIZE_FLAGS)
	cmake --build $(SANITIZE_BUILD) --parallel
	cd $(SANITIZE_BUILD) && ctest --output-on-failure --parallel $(TEST_JOBS) --timeout 900

# The development program folder is the build's bin folder: the data files go
# beside the programs, and the installation's defaults into the settings store
# without overwriting what a user already set.
install-data: build
	bash scripts/install-data $(HOME_DIR) $(BUILD)/bin/ringvale-reg

# The desktop program in the foreground; it starts RingvaleSvc -gc beside it.
run: install-data
	$(HOME_DIR)/Ringvale

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
