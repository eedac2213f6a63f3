# Sources of modkit/bglfile are listed here.
