// X and Z reports
