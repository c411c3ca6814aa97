// Writes a large random sequence table for the benchmarks.
// Usage: make_table ROWS LENGTH DELIMITER(tab|comma) > table
// Column 1 is "seqN" followed by a short description (one field, as a two-column table holds
// it), column 2 the residues.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_table ROWS LENGTH tab|comma\n");
        return 2;
    }
    const long rows = std::atol(argv[1]);
    const long length = std::atol(argv[2]);
    const char delimiter = std::string(argv[3]) == "tab" ? '\t' : ',';
    static const char* const organisms[] = {"E. coli K-12", "S. cerevisiae S288C", "H. sapiens",
                                            "A. thaliana Col-0"};
    std::mt19937_64 random(42);
    std::string row;
    std::printf("Identifier%cSequence\n", delimiter);
    for (long i = 0; i < rows; ++i) {
        row = "seq" + std::to_string(i + 1) + " " + organisms[random() % 4] + " clone " +
              std::to_string(random() % 100000);
        row += delimiter;
        for (long j = 0; j < length; ++j)
            row += "ACGT"[random() & 3];
        row += '\n';
        std::fwrite(row.data(), 1, row.size(), stdout);
    }
    return 0;
}
